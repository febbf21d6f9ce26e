#pragma once

#include "BaselineWalk.h"
#include "ScannerRun.h"

#include <string>

namespace umbrix::bench {

// (a) and (b), each timed in a fresh process of this program as the window's
// search (c) is: a new process starts with cold caches, an empty heap and
// unbound library calls, and a run kept warm in the benchmark's own process
// would be compared with a cold one.  Throw std::runtime_error.
struct TimedBaseline {
    double seconds = 0;
    double cpuSeconds = 0;
    BaselineCounts counts;
};
TimedBaseline runBaselineApart(const std::string& root);
ScannerResult runScannerApart(const std::string& root);

// The child's side: `kind` "a" or "b" over `root`, one result line printed;
// "none" does nothing, for counting what the process costs by itself.
int walkRunMain(const std::string& kind, const std::string& root);

} // namespace umbrix::bench
