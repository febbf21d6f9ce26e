#pragma once

#include <cstdint>
#include <string>

namespace umbrix {

// The process-wide state shared by the start-up, the search and the window.
// Handlers that run during a yield talk to the operation that yielded only
// through these flags.  Paths (CurrentPath) are bytes; the search texts are
// UTF-8 as typed.
struct AppState {
    // General state
    std::string AppTitle;
    int32_t MsgAnswer = 0;
    bool Closing = false;
    bool LogErrors = false;
    bool Busy = false;

    // Search state
    std::string SearchPattern;
    std::string SearchCriteria;
    bool Searching = false;
    bool CancelSearch = false;
    int16_t DirChanged = 0;
    std::string CurrentPath;
    float ScanPause = 0.0f;
    int32_t ScannedCount = 0;
    bool SearchSubDirs = false;
    bool ViewAll = false;
    bool DirsOnly = false;
    bool FilesOnly = false;
    bool ScanAborted = false;
};

// The one instance.
AppState& app();

// Back to the initial values (tests start every case from here).
void resetAppState();

} // namespace umbrix
