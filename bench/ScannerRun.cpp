#include "ScannerRun.h"

#include "Stopwatch.h"
#include "app/AppState.h"
#include "search/ScanHost.h"
#include "search/Scanner.h"

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
    const Stopwatch watch;
    const bool stopped = ScanFolder(host, root, root);
    ScannerResult result;
    result.seconds = watch.wallSeconds();
    result.cpuSeconds = watch.cpuSeconds();
    result.rows = host.rows;
    result.scanned = s.ScannedCount;
    result.logged = host.logged;
    result.stopped = stopped;
    resetAppState();
    return result;
}

} // namespace umbrix::bench
