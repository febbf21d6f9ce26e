#include "ScannerRun.h"

#include "Stopwatch.h"
#include "search/Scanner.h"
#include "search/SearchView.h"

namespace umbrix::bench {
namespace {

class CountingHost : public SearchView {
public:
    void FoundFileAdd(const std::string&, const std::string&, const platform::EntryIdentity&) override
    {
        ++rows;
    }
    void RefreshResult(const std::string&, const std::string&, int32_t) override {}
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
    SearchOptions options;
    options.SearchSubDirs = true;
    options.SearchPattern = "*.*";
    SearchFlags flags;

    CountingHost host;
    const Stopwatch watch;
    const bool stopped = ScanFolder(ScanContext{host, options, flags}, root, root);
    ScannerResult result;
    result.seconds = watch.wallSeconds();
    result.cpuSeconds = watch.cpuSeconds();
    result.rows = host.rows;
    result.scanned = flags.ScannedCount;
    result.logged = host.logged;
    result.stopped = stopped;
    return result;
}

} // namespace umbrix::bench
