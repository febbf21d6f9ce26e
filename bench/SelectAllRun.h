#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace umbrix::bench {

// "Select All" on a full result list box: the one call that selects every
// row, and the selection summary that it starts, through the window's menu
// item.  The files are those of buildAttributeFiles (AttributeRun.h).

struct SelectAllResult {
    double selectMs = 0;   // the call that selects every row, and the round of events after it
    double seconds = 0;    // the menu item: the selection and its summary
    double cpuSeconds = 0; // of the window's thread
    int64_t rows = 0;      // rows of the result list box
    int64_t selected = 0;  // of which selected afterwards
    std::string boxes;     // the panel's five box values afterwards, e.g. "01010"
    int64_t yields = 0;    // rounds of window events during the menu item
    double longestGapMs = 0;
    double longestGapCpuMs = 0;
};

// The child's side: lists every file below `root` in one result list box of
// a window on the offscreen platform, with the program's settings below
// `settings`, chooses "Select All" and prints one result line.
int selectAllRunMain(int argc, char** argv, const std::string& root, const std::string& settings);

// Runs selectAllRunMain in a fresh process and reads its line.  Throws
// std::runtime_error.
SelectAllResult runSelectAllWindow(const std::string& root, const std::string& settings);

void printSelectAllReport(std::FILE* out, const std::vector<SelectAllResult>& runs);

} // namespace umbrix::bench
