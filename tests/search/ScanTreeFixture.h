#pragma once

#include "platform/AttributeStore.h"
#include "platform/Error.h"
#include "search/Scanner.h"
#include "search/SearchView.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace umbrix::test {

inline constexpr uint32_t R = platform::Attr::ReadOnly;
inline constexpr uint32_t H = platform::Attr::Hidden;
inline constexpr uint32_t S = platform::Attr::System;
inline constexpr uint32_t D = platform::Attr::Directory;
inline constexpr uint32_t A = platform::Attr::Archive;

// A window stand-in that remembers what the scanner shows and can act at
// every yield, the way a Cancel click or an Esc key would arrive.
class RecordingScanHost : public SearchView {
public:
    struct LogEntry {
        std::string text;
        bool forceView = false;
        bool operator==(const LogEntry&) const = default;
        friend void PrintTo(const LogEntry& entry, std::ostream* out)
        {
            *out << (entry.forceView ? "forced: " : "") << ::testing::PrintToString(entry.text);
        }
    };

    std::vector<std::string> rows; // folder + name of every FoundFileAdd
    std::vector<platform::EntryIdentity> identities; // of each row
    std::vector<LogEntry> logs;
    int yields = 0;
    // FoundFileAdd refuses with "out of memory" once this many rows are held.
    int rowLimit = -1;
    std::function<void()> onYield;

    void FoundFileAdd(const std::string& folder, const std::string& name,
                      const platform::EntryIdentity& identity) override
    {
        if (rowLimit >= 0 && static_cast<int>(rows.size()) >= rowLimit)
            throw Error{ErrorNumber::OutOfMemory, "Out of memory"};
        rows.push_back(folder + name);
        identities.push_back(identity);
    }
    void RefreshResult(const std::string&, const std::string&, int32_t) override {}
    void Log(const std::string& text, bool forceView) override
    {
        logs.push_back({text, forceView});
    }
    bool isMinimized() const override { return false; }
    void setCaption(const std::string&) override {}
    void DoEvents() override
    {
        ++yields;
        if (onYield)
            onYield();
    }
};

// A temporary tree, the search state as a fresh start leaves it (every
// subfolder, pattern "*.*", no criteria) and a recording host.
class ScanTreeFixture : public ::testing::Test {
protected:
    void SetUp() override { freshSearch(); }

    void freshSearch()
    {
        options = SearchOptions{};
        flags = SearchFlags{};
        options.SearchSubDirs = true;
        options.SearchPattern = "*.*";
        host = RecordingScanHost{};
    }
    ScanContext context() { return {host, options, flags}; }

    std::string root() const { return base; }
    std::string at(const std::string& relative) const { return root() + "/" + relative; }

    void file(const std::string& relative, uint32_t attributes = 0)
    {
        makeFile(at(relative), "content");
        store(relative, attributes);
    }
    void folder(const std::string& relative, uint32_t attributes = 0)
    {
        makeDir(at(relative));
        store(relative, attributes);
    }
    void store(const std::string& relative, uint32_t attributes)
    {
        if (attributes) {
            ASSERT_EQ(platform::storeAttributes(at(relative), attributes), 0) << relative;
        }
    }
    // The attribute word as the store reads it back, reduced to the bits a
    // search looks at or changes.
    uint32_t attributes(const std::string& relative) const
    {
        uint32_t word = 0;
        EXPECT_EQ(platform::queryAttributes(at(relative), word), 0) << relative;
        return word & (platform::Attr::Writable | D);
    }

    bool scan() { return ScanFolder(context(), root(), root()); }

    std::vector<std::string> sortedRows() const
    {
        std::vector<std::string> rows = host.rows;
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    std::vector<std::string> paths(std::vector<std::string> relatives) const
    {
        for (std::string& r : relatives)
            r = at(r);
        std::sort(relatives.begin(), relatives.end());
        return relatives;
    }

    TempDir dir;
    std::string base = dir.path(); // where the tree lies
    RecordingScanHost host;
    SearchOptions options;
    SearchFlags flags;
};

} // namespace umbrix::test
