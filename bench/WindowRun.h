#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace umbrix {
struct AppState;
class FrmSeek;
} // namespace umbrix

namespace umbrix::bench {

// The attribute panel's five boxes (read-only, hidden, system, archive,
// directory) as digits: 0 unchecked, 1 checked, 2 grayed.
std::string panelBoxes(const FrmSeek& window);

// One search through the main window, from the Search button's click until
// the results view is shown.
struct WindowResult {
    double seconds = 0;
    double cpuSeconds = 0;      // of the window's thread
    int64_t rows = 0;           // rows of every result list box in use
    int64_t scanned = 0;        // the scanned count the results view shows
    int64_t boxes = 0;          // result list boxes in use
    bool completed = false;     // the results view and "File scanning completed."
    int64_t yields = 0;         // times the window handled its events
    double longestGapMs = 0;    // longest time without handling events
    double longestGapCpuMs = 0; // the most CPU time the window's thread spent in one such gap
    int64_t answered = 0;       // posted probe events answered during the search
    double worstLatencyMs = 0;  // longest a probe event waited for its answer
    int64_t peakKiB = 0;        // the process's peak resident memory (VmHWM)
};

// The child's side: runs the search over `root` on the offscreen platform,
// with the program's settings kept below `settings` rather than the user's,
// and "View not hidden file/dir also" checked when `viewAll`, and prints one
// result line.  Returns the process's exit code.
int windowRunMain(int argc, char** argv, const std::string& root, const std::string& settings,
                  bool viewAll);

// Runs windowRunMain in a fresh process of this program, so that each run
// has its own peak memory, and reads its line.  Throws std::runtime_error.
WindowResult runWindowSearch(const std::string& root, const std::string& settings,
                             bool viewAll = false);

// The process's peak resident memory in KiB (VmHWM), -1 when unknown.
int64_t peakResidentKiB();

// Runs this program again with `args` in a fresh process and returns what it
// printed.  Throws std::runtime_error when it fails.
std::string runThisProgram(const std::vector<std::string>& args);

} // namespace umbrix::bench
