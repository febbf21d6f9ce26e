#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace umbrix::bench {

// Timings of one kind of run at one size.
class Samples {
public:
    void add(double seconds) { values_.push_back(seconds); }
    bool empty() const { return values_.empty(); }
    double min() const;
    double median() const;

private:
    std::vector<double> values_;
};

// The runs of one kind of search through the window at one size.
struct WindowFigures {
    Samples time; // wall time
    Samples cpu;  // CPU time of the window's thread
    int64_t boxes = 0;
    double longestGapMs = 0; // worst of every run
    double longestGapCpuMs = 0;
    double worstLatencyMs = 0; // worst of every run
    int64_t peakKiB = 0;       // highest of every run
};

// Everything measured at one tree size.
struct SizeFigures {
    int64_t entries = 0;
    int64_t listed = 0;
    Samples raw;     // (a), wall time
    Samples scanner; // (b)
    Samples rawCpu;  // the same runs' CPU time
    Samples scannerCpu;
    Samples reference; // (r), the outside walker, when one was given
    Samples referenceCpu;
    WindowFigures window;  // (c)
    WindowFigures viewAll; // (v): (c) with "View not hidden file/dir also"
};

// System calls of one walk of (a) and of (b) over the same tree.
struct SyscallFigures {
    int64_t entries = 0;
    int64_t raw = -1; // -1: not counted
    int64_t scanner = -1;
    std::string how;      // what counted them
    std::string rawCalls; // which calls (a) makes on this kernel
    std::string referenceWalker; // the outside walker (r), if one ran
};

// The table, the ratios and where the goals stand.
void printReport(std::FILE* out, const std::vector<SizeFigures>& sizes, const SyscallFigures& calls,
                 int runs);

} // namespace umbrix::bench
