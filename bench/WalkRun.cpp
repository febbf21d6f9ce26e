#include "WalkRun.h"

#include "Stopwatch.h"
#include "WindowRun.h"

#include <cstdio>
#include <sstream>
#include <stdexcept>

namespace umbrix::bench {
namespace {

constexpr const char* kResultTag = "walk-run";

std::istringstream resultLine(const std::string& kind, const std::string& root)
{
    const std::string text = runThisProgram({"--walk-run", kind, root});
    const size_t at = text.rfind(kResultTag);
    if (at == std::string::npos)
        throw std::runtime_error("the walk run printed no result: " + text);
    std::istringstream line(text.substr(at + std::string(kResultTag).size()));
    return line;
}

} // namespace

TimedBaseline runBaselineApart(const std::string& root)
{
    std::istringstream line = resultLine("a", root);
    TimedBaseline r;
    line >> r.seconds >> r.cpuSeconds >> r.counts.entries >> r.counts.listed >> r.counts.unhidden;
    if (!line)
        throw std::runtime_error("unreadable result of the raw walk");
    return r;
}

ScannerResult runScannerApart(const std::string& root)
{
    std::istringstream line = resultLine("b", root);
    ScannerResult r;
    int stopped = 0;
    line >> r.seconds >> r.cpuSeconds >> r.rows >> r.scanned >> r.logged >> stopped;
    if (!line)
        throw std::runtime_error("unreadable result of the scanner run");
    r.stopped = stopped != 0;
    return r;
}

int walkRunMain(const std::string& kind, const std::string& root)
{
    if (kind == "a") {
        const Stopwatch watch;
        const BaselineCounts c = baselineWalk(root);
        std::printf("%s %.6f %.6f %lld %lld %lld\n", kResultTag, watch.wallSeconds(),
                    watch.cpuSeconds(), static_cast<long long>(c.entries),
                    static_cast<long long>(c.listed), static_cast<long long>(c.unhidden));
        return 0;
    }
    if (kind == "b") {
        const ScannerResult r = runScanner(root);
        std::printf("%s %.6f %.6f %lld %lld %lld %d\n", kResultTag, r.seconds, r.cpuSeconds,
                    static_cast<long long>(r.rows), static_cast<long long>(r.scanned),
                    static_cast<long long>(r.logged), r.stopped ? 1 : 0);
        return 0;
    }
    // Nothing: what the process itself costs, taken off the counts of the others.
    return kind == "none" ? 0 : 2;
}

} // namespace umbrix::bench
