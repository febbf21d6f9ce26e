#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace umbrix::bench {

// What a built tree holds, so every timed run can be checked against it.
struct TreeCounts {
    int64_t folders = 0; // directories below the root (the root excluded)
    int64_t files = 0;
    int64_t links = 0;        // symbolic links (never listed, never entered)
    int64_t hidden = 0;       // hidden, not system (the search unhides these)
    int64_t system = 0;       // system, not hidden
    int64_t hiddenSystem = 0; // both
    int64_t entries() const { return folders + files + links; }
    int64_t listed() const { return hidden + system + hiddenSystem; }
    // ScannedCount after a search of the whole tree with every subfolder:
    // every entry once while the subfolders are collected, "." and ".." of
    // the root and of every folder, and every entry but the links once more
    // in the listing.
    int64_t scanned() const { return entries() + 2 * (folders + 1) + folders + files; }
};

struct BuiltTree {
    TreeCounts counts;
    // The hidden, non-system entries: the ones a search rewrites, and so the
    // ones to put back before the next timed run.
    std::vector<std::string> hiddenEntries;
};

// Builds a reproducible tree of about `totalEntries` entries below `root`
// (which must exist and be empty): ~50 entries a folder, depth up to 6 (more
// where the size needs it),
// 10 % hidden, 2 % system, 1 % hidden+system in user.DOSATTRIB, and a few
// symbolic links (to a file, to a folder, to an ancestor).  The same seed
// gives the same names, kinds and attributes.  Throws std::runtime_error.
BuiltTree buildTree(const std::string& root, int64_t totalEntries, uint64_t seed = 1);

// Gives every entry in `hiddenEntries` its hidden attribute back, as the
// tree was built.  Returns how many of them had lost it, i.e. how many the
// last search unhid.  Throws std::runtime_error when an entry cannot be read
// or written.
int64_t restoreHidden(const std::vector<std::string>& hiddenEntries);

// The attribute states found on disk below a root, read straight from
// user.DOSATTRIB.
struct DiskTally {
    int64_t entries = 0; // links included
    int64_t links = 0;
    int64_t hidden = 0;       // hidden, not system
    int64_t system = 0;       // system, not hidden
    int64_t hiddenSystem = 0; // both
    int64_t plainValue = 0;   // a value without hidden or system (an unhidden entry)
    bool operator==(const DiskTally&) const = default;
};
DiskTally tallyDisk(const std::string& root);

// What tallyDisk must find in a pristine tree, and after a search of it.
DiskTally pristineTally(const TreeCounts& counts);
DiskTally searchedTally(const TreeCounts& counts);

// Removes everything below `root` and `root` itself.
void removeTree(const std::string& root);

} // namespace umbrix::bench
