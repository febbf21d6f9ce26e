#pragma once

#include <cstdint>
#include <string>

namespace umbrix::bench {

struct ScannerResult {
    double seconds = 0;
    double cpuSeconds = 0;
    int64_t rows = 0;    // FoundFileAdd calls
    int64_t scanned = 0; // ScannedCount at the end
    int64_t logged = 0;  // failure reports; a sound tree gives none
    bool stopped = false;
};

// ScanFolder over `root` as a search with the window's default options
// would run it ("*.*", every subfolder, hidden and system entries only),
// with a host that only counts what it is told.
ScannerResult runScanner(const std::string& root);

} // namespace umbrix::bench
