#pragma once

#include <cstdint>
#include <string>

namespace umbrix::bench {

// An outside walker that measures the same limit as (a) from outside the
// program (its path given with --reference-walker), run on the same tree
// with "--variant=at --no-stat": every call relative to an open folder, no
// stat where the listing gives the type.  It prints one JSON object.
struct ReferenceResult {
    double seconds = 0;    // wall time from its start to its exit
    double cpuSeconds = 0; // its user and system time
    int64_t entries = 0;   // "entries"
    int64_t listed = 0;    // "listed"
    int64_t unhidden = 0;  // "unhidden"
};

// Throws std::runtime_error when it cannot be run or fails.
ReferenceResult runReferenceWalker(const std::string& walker, const std::string& root);

} // namespace umbrix::bench
