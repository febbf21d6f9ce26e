#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace umbrix::bench {

// The attribute commands over a large selection: clearing hidden from every
// selected result row through the window's hidden box (d), and the
// selection summary over the same rows (e), each against a raw loop doing
// only the reads and writes of the same attributes.

// `count` files below `root`, a thousand a folder, each hidden + archive in
// user.DOSATTRIB.  Returns their paths in the order the result list sorts
// them.  Throws std::runtime_error.
std::vector<std::string> buildAttributeFiles(const std::string& root, int64_t count);

// Gives every file its hidden attribute back; returns how many had lost it.
int64_t rehideFiles(const std::vector<std::string>& paths);

// The raw loops: lstat, read the value, and for (d) write it without hidden.
// Each returns how many files it found hidden.
int64_t rawClearHidden(const std::vector<std::string>& paths);
int64_t rawReadHidden(const std::vector<std::string>& paths);

struct AttributeWindowResult {
    double seconds = 0;
    double cpuSeconds = 0;
    int64_t rows = 0;     // rows of the result list box
    int64_t selected = 0; // of which selected
    std::string boxes;    // the panel's five box values afterwards, e.g. "01010"
    int64_t yields = 0;
    double longestGapMs = 0;
    double longestGapCpuMs = 0;
};

enum class AttributeRunKind { ClearHidden, Summary };

// The child's side: lists the files below `root` in the results view of a
// window on the offscreen platform, selects every row and runs `kind`.
int attributeRunMain(int argc, char** argv, const std::string& root, const std::string& settings,
                     int64_t count, const std::string& kind);

// Runs attributeRunMain in a fresh process and reads its line.
AttributeWindowResult runAttributeWindow(const std::string& root, const std::string& settings,
                                         int64_t count, AttributeRunKind kind);

} // namespace umbrix::bench

namespace umbrix::bench {

// Timings of the attribute rows at one selection size.
struct AttributeFigures {
    int64_t rows = 0;
    std::vector<double> rawClear, windowClear, rawSummary, windowSummary; // wall seconds
    std::vector<double> windowClearCpu, windowSummaryCpu;
    double clearGapMs = 0, clearGapCpuMs = 0, summaryGapMs = 0, summaryGapCpuMs = 0;
};

// The two rows per size, their ratios to the raw loops and where the goals stand.
void printAttributeReport(std::FILE* out, const std::vector<AttributeFigures>& sizes, int runs);

} // namespace umbrix::bench
