#pragma once

#include <cstdint>
#include <string>

namespace umbrix::bench {

struct BaselineCounts {
    int64_t entries = 0;  // every entry seen, links included
    int64_t listed = 0;   // hidden or system
    int64_t unhidden = 0; // hidden, not system: rewritten
};

// The least system work the search cannot avoid: read every folder once,
// lstat every entry, read its attribute value, rewrite it for hidden,
// non-system entries, one fstatfs per device.  Nothing else: no output, no
// ordering, no yields.  This is the physical limit the scanner is measured
// against.
BaselineCounts baselineWalk(const std::string& root);

} // namespace umbrix::bench
