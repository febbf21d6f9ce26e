#pragma once

#include <cstdint>
#include <string>

namespace umbrix::bench {

// What a built tree holds, so every timed run can be checked against it.
struct TreeCounts {
    int64_t folders = 0;       // directories below the root (the root excluded)
    int64_t files = 0;
    int64_t links = 0;         // symbolic links (never listed, never entered)
    int64_t hidden = 0;        // hidden, not system (the search unhides these)
    int64_t system = 0;        // system, not hidden
    int64_t hiddenSystem = 0;  // both
    int64_t entries() const { return folders + files + links; }
    int64_t listed() const { return hidden + system + hiddenSystem; }
};

// Builds a reproducible tree of about `totalEntries` entries below `root`
// (which must exist and be empty): ~50 entries a folder, depth up to 6,
// 10 % hidden, 2 % system, 1 % hidden+system in user.DOSATTRIB, and a few
// symbolic links (to a file, to a folder, to an ancestor).  The same seed
// gives the same names, kinds and attributes.
TreeCounts buildTree(const std::string& root, int64_t totalEntries, uint64_t seed = 1);

// Removes everything below `root` and `root` itself.
void removeTree(const std::string& root);

} // namespace umbrix::bench
