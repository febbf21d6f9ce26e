#pragma once

#include "BenchCommon.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace umbrix::bench {

// The window opened on a folder of many files, as `umbrix FOLDER` opens it:
// how soon it shows, how long until the file list holds every name, the
// longest gap between rounds of window events meanwhile, and peak memory.
struct BrowseResult {
    double shownSeconds = 0;  // start-up with the folder and the first round of events
    double filledSeconds = 0; // from the same start until the file list is complete
    double cpuSeconds = 0;    // of the window's thread, until complete
    int64_t rows = 0;         // of the file list
    int64_t rounds = 0;       // rounds of window events while it filled
    double longestGapMs = 0;
    double longestGapCpuMs = 0;
    int64_t peakKiB = 0; // the process's peak resident memory (VmHWM)
};

// The child's side: opens the window on `folder` on the offscreen platform,
// with the program's settings below `settings`, and prints one result line.
int browseRunMain(int argc, char** argv, const std::string& folder, const std::string& settings);

// Makes a folder of `files` empty files below `work` and opens it `runs`
// times, each in a fresh process; every run's row count is checked.
std::vector<BrowseResult> runBrowseRows(int64_t files, int runs, const std::string& work,
                                        Verdicts& v);

void printBrowseReport(std::FILE* out, const std::vector<BrowseResult>& runs);

} // namespace umbrix::bench
