#pragma once

#include "app/AppState.h"
#include "platform/AttributeStore.h"
#include "search/RecordingScanHost.h"
#include "search/Scanner.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace umbrix::test {

// A temporary tree, the search state as a fresh start leaves it (every
// subfolder, pattern "*.*", no criteria) and a recording host.
class ScanTreeFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetAppState();
        app().SearchSubDirs = true;
        app().SearchPattern = "*.*";
    }
    void TearDown() override { resetAppState(); }

    virtual std::string root() const { return dir.path(); }
    std::string at(const std::string& relative) const { return root() + "/" + relative; }

    void file(const std::string& relative, uint32_t attributes = 0)
    {
        makeFile(at(relative), "content");
        if (attributes)
            store(relative, attributes);
    }
    void folder(const std::string& relative, uint32_t attributes = 0)
    {
        makeDir(at(relative));
        if (attributes)
            store(relative, attributes);
    }
    void store(const std::string& relative, uint32_t attributes)
    {
        ASSERT_EQ(platform::storeAttributes(at(relative), attributes), 0) << relative;
    }
    // The attribute word as the store reads it back, reduced to the bits a
    // search looks at or changes.
    uint32_t attributes(const std::string& relative) const
    {
        uint32_t word = 0;
        EXPECT_EQ(platform::queryAttributes(at(relative), word), 0) << relative;
        return word & (platform::Attr::Writable | platform::Attr::Directory);
    }

    bool scan() { return ScanFolder(host, root(), root()); }

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
    RecordingScanHost host;
};

} // namespace umbrix::test
