#include "BrowseRun.h"

#include "FlatFiles.h"
#include "GapMeter.h"
#include "OffscreenWindow.h"
#include "RowFormat.h"
#include "Stopwatch.h"
#include "WindowRun.h"
#include "ui/controls/FileListBox.h"
#include "ui/main/BrowserPanel.h"
#include "ui/main/FrmSeek.h"
#include "ui/services/Interaction.h"

#include <QApplication>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace umbrix::bench {
namespace {

constexpr const char* kResultTag = "browse-run";
// The goals for a million files on the development machine.
constexpr double kShownSeconds = 2;
constexpr double kPeakMiB = 200;
constexpr double kGapMs = 200;

void makeFlatFolder(const std::string& folder, int64_t files)
{
    if (::mkdir(folder.c_str(), 0755) != 0)
        throw std::runtime_error("mkdir " + folder + ": " + std::strerror(errno));
    for (int64_t i = 0; i < files; ++i) {
        const std::string path = folder + "/" + numberedFile('f', i) + ".txt";
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0)
            throw std::runtime_error("create " + path + ": " + std::strerror(errno));
        ::close(fd);
    }
}

} // namespace

int browseRunMain(int argc, char** argv, const std::string& folder, const std::string& settings)
{
    OffscreenWindow offscreen(argc, argv, settings);
    FrmSeek& window = offscreen.window;
    BrowseResult r;
    const Stopwatch watch;
    if (!offscreen.start(folder))
        return 2;
    QCoreApplication::processEvents();
    r.shownSeconds = watch.wallSeconds();
    GapMeter gaps;
    gaps.start();
    while (window.browser.filList->filling())
        QCoreApplication::processEvents();
    gaps.stop();
    r.filledSeconds = watch.wallSeconds();
    r.cpuSeconds = watch.cpuSeconds();
    r.rows = window.browser.filList->ListCount();
    r.rounds = gaps.rounds();
    r.longestGapMs = gaps.longestMs();
    r.longestGapCpuMs = gaps.longestCpuMs();
    r.peakKiB = peakResidentKiB();
    std::printf("%s %.6f %.6f %.6f %lld %lld %.3f %.3f %lld\n", kResultTag, r.shownSeconds,
                r.filledSeconds, r.cpuSeconds, static_cast<long long>(r.rows),
                static_cast<long long>(r.rounds), r.longestGapMs, r.longestGapCpuMs,
                static_cast<long long>(r.peakKiB));
    std::fflush(stdout);
    return offscreen.answers.calls().empty() ? 0 : 3;
}

std::vector<BrowseResult> runBrowseRows(int64_t files, int runs, const std::string& work,
                                        Verdicts& v)
{
    const std::string folder = work + "/browse";
    makeFlatFolder(folder, files);
    std::vector<BrowseResult> results;
    for (int run = 0; run < runs; ++run) {
        const std::string text = runThisProgram({"--browse-run", folder, settingsFolder(work)});
        std::istringstream line(text.substr(std::min(text.size(), text.rfind(kResultTag))));
        std::string tag;
        BrowseResult r;
        line >> tag >> r.shownSeconds >> r.filledSeconds >> r.cpuSeconds >> r.rows >> r.rounds >>
            r.longestGapMs >> r.longestGapCpuMs >> r.peakKiB;
        if (!line || tag != kResultTag)
            throw std::runtime_error("the browse run printed no result: " + text);
        v.expect("(o) file list rows", files, r.rows);
        results.push_back(r);
    }
    return results;
}

void printBrowseReport(std::FILE* out, const std::vector<BrowseResult>& runs)
{
    if (runs.empty())
        return;
    std::vector<double> shown, filled, cpu;
    double gap = 0, gapCpu = 0, peakMiB = 0;
    for (const BrowseResult& r : runs) {
        shown.push_back(r.shownSeconds);
        filled.push_back(r.filledSeconds);
        cpu.push_back(r.cpuSeconds);
        gap = std::max(gap, r.longestGapMs);
        gapCpu = std::max(gapCpu, r.longestGapCpuMs);
        peakMiB = std::max(peakMiB, static_cast<double>(r.peakKiB) / 1024.0);
    }
    std::fprintf(out,
                 "\nThe window opened on a folder of %lld files, %zu runs\n"
                 "  (o) start-up with the folder until the window is shown, and until the file "
                 "list holds every name\n\n",
                 static_cast<long long>(runs.front().rows), runs.size());
    std::fprintf(out, "%9s %10s %10s %10s %8s %10s %12s %10s\n", "files", "shown s", "filled s",
                 "cpu s", "rounds", "gap ms", "gap cpu ms", "peak MiB");
    std::fprintf(out, "%9lld %10.3f %10.3f %10.3f %8lld %10.2f %12.2f %10.1f\n",
                 static_cast<long long>(runs.front().rows), median(shown), median(filled),
                 median(cpu), static_cast<long long>(runs.front().rounds), gap, gapCpu, peakMiB);
    std::fprintf(out, "  times: medians; gap and peak: the worst of all runs\n");
    std::fprintf(out, "  %-58s %8.3f  %s\n", "window shown within 2 s", median(shown),
                 median(shown) <= kShownSeconds ? "met" : "NOT MET");
    std::fprintf(out, "  %-58s %8.1f  %s\n", "peak memory under 200 MiB", peakMiB,
                 peakMiB < kPeakMiB ? "met" : "NOT MET");
    std::fprintf(out, "  %-58s %8.2f  %s\n",
                 "longest gap between rounds of window events <= 200 ms", gap,
                 gap <= kGapMs ? "met" : "NOT MET");
}

} // namespace umbrix::bench
