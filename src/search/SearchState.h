#pragma once

#include <cstdint>
#include <string>

namespace umbrix {

// What a search obeys: the options and texts the window maps into it when
// Search is pressed.  The walk only reads them.
struct SearchOptions {
    std::string SearchPattern;  // enumerates each folder ("" selects every name)
    std::string SearchCriteria; // a folder's path must contain it; "" = any
    bool SearchSubDirs = false;
    bool ViewAll = false;
    bool DirsOnly = false;
    bool FilesOnly = false;
    float ScanPause = 0.0f; // seconds to wait after each examined entry
    bool LogErrors = false;
};

// What a search and the handlers running during its yields share: the two
// stop requests (Searching cleared: stop and discard; CancelSearch set: stop
// and keep) and the progress count.
struct SearchFlags {
    bool Searching = false;
    bool CancelSearch = false;
    bool ScanAborted = false;
    int32_t ScannedCount = 0;
    // For a command line, which counts what it names: the entries met (each
    // once, links too, no dot entries) and the hidden or system ones listed.
    int64_t entriesMet = 0;
    int64_t hiddenOrSystemListed = 0;
};

} // namespace umbrix
