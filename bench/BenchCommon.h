#pragma once

// What the benchmark's parts share: its options, where window runs keep
// their settings, and the verdicts every run's counts are checked into.

#include "TreeBuilder.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace umbrix::bench {

struct Options {
    std::vector<int64_t> sizes{10000, 100000, 300000, 1000000};
    std::vector<int64_t> attributeSizes{3000, 30000};
    int64_t deleteEntries = 100000;
    int64_t copyFiles = 10000;
    int64_t browseFiles = 1000000;
    bool search = true;
    bool attributes = true;
    bool selectAll = true;
    bool fileCommands = true;
    bool browse = true;
    int runs = 5;
    std::string dir;
    std::string referenceWalker; // run as (r) beside (a) when given
    bool check = false;
};

// Where the window runs keep the program's settings: never the user's own.
inline std::string settingsFolder(const std::string& work)
{
    return work + "/settings";
}

// Collects every disagreement between what a run reports and the tree.
class Verdicts {
public:
    void expect(const std::string& what, int64_t expected, int64_t actual)
    {
        if (expected == actual)
            return;
        problems_.push_back(what + ": expected " + std::to_string(expected) + ", got " +
                            std::to_string(actual));
    }
    void expectTally(const std::string& what, const DiskTally& expected, const DiskTally& actual)
    {
        expect(what + " entries on disk", expected.entries, actual.entries);
        expect(what + " links on disk", expected.links, actual.links);
        expect(what + " hidden on disk", expected.hidden, actual.hidden);
        expect(what + " system on disk", expected.system, actual.system);
        expect(what + " hidden+system on disk", expected.hiddenSystem, actual.hiddenSystem);
        expect(what + " unhidden on disk", expected.plainValue, actual.plainValue);
    }
    void expectText(const std::string& what, const std::string& expected, const std::string& actual)
    {
        if (expected != actual)
            problems_.push_back(what + ": expected " + expected + ", got " + actual);
    }
    bool clean() const { return problems_.empty(); }
    void print(std::FILE* out) const
    {
        for (const std::string& p : problems_)
            std::fprintf(out, "MISMATCH %s\n", p.c_str());
    }

private:
    std::vector<std::string> problems_;
};

} // namespace umbrix::bench
