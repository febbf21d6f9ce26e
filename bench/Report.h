#pragma once

#include <cstdint>
#include <cstdio>
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

// Everything measured at one tree size.
struct SizeFigures {
    int64_t entries = 0;
    int64_t listed = 0;
    Samples raw;     // (a), wall time
    Samples scanner; // (b)
    Samples window;  // (c)
    Samples rawCpu;  // the same runs' CPU time
    Samples scannerCpu;
    Samples windowCpu;
    int64_t boxes = 0;
    double longestGapMs = 0; // worst of every (c) run
    double longestGapCpuMs = 0;
    double worstLatencyMs = 0; // worst of every (c) run
    int64_t peakKiB = 0;       // highest of every (c) run
};

// The table, the ratios and where the goals stand.
void printReport(std::FILE* out, const std::vector<SizeFigures>& sizes, int runs);

} // namespace umbrix::bench
