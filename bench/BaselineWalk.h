#pragma once

#include <cstdint>
#include <string>

namespace umbrix::bench {

struct BaselineCounts {
    int64_t entries = 0;  // every entry seen, links included
    int64_t listed = 0;   // hidden or system
    int64_t unhidden = 0; // hidden, not system: rewritten
};

// The least system work a search that cannot be redirected must do: every
// folder opened relative to its parent without following a link and read
// once, each entry's type from the folder's listing (a stat only where the
// filesystem does not say), its attribute value read and, for a hidden,
// non-system entry, rewritten relative to the open folder; one fstatfs for
// the volume.  Nothing else: no output, no ordering, no yields.  This is
// the physical limit the scanner is measured against.
BaselineCounts baselineWalk(const std::string& root);

// The system calls baselineWalk makes on this kernel, in words.
const char* baselineCalls();

} // namespace umbrix::bench
