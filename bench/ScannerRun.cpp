#include "ScannerRun.h"

#include "app/AppState.h"
#include "search/ScanHost.h"
#include "search/Scanner.h"

#include <chrono>

namespace umbrix::bench {
namespace {

class CountingHost : public ScanHost {
public:
    void FoundFileAdd(const std::string&, const std::string&) override { ++rows; }
    void RefreshResult(const std::string&, const std::string&) override {}
    void Log(const std::string&, bool) override { ++logged; }
    bool isMinimized() const override { return false; }
    void setCaption(const std::string&) override {}
    void DoEvents() override {}

    int64_t rows = 0;
    int64_t logged = 0;
};

} // namespace

ScannerResult runScanner(const std::string& root)
{
    resetAppState();
    AppState& s = app();
    s.SearchSubDirs = true;
    s.SearchPattern = "*.*";

    CountingHost host;
    const auto start = std::chrono::steady_clock::now();
    const bool stopped = ScanFolder(host, root, root);
    const auto end = std::chrono::steady_clock::now();

    ScannerResult result;
    result.seconds = std::chrono::duration<double>(end - start).count();
    result.rows = host.rows;
    result.scanned = s.ScannedCount;
    result.logged = host.logged;
    result.stopped = stopped;
    resetAppState();
    return result;
}

} // namespace umbrix::bench
