#include "SelectAllRun.h"

#include "GapMeter.h"
#include "OffscreenWindow.h"
#include "RowFormat.h"
#include "Stopwatch.h"
#include "WindowRun.h"
#include "ui/controls/ResultListBox.h"
#include "ui/main/FrmSeek.h"
#include "ui/main/ListBoxOperations.h"
#include "ui/services/Interaction.h"

#include <QAction>
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace umbrix::bench {
namespace {

constexpr const char* kResultTag = "select-all-run";
constexpr double kGapMs = 20;

} // namespace

int selectAllRunMain(int argc, char** argv, const std::string& root, const std::string& settings)
{
    OffscreenWindow offscreen(argc, argv, settings);
    if (!offscreen.start())
        return 2;
    FrmSeek& window = offscreen.window;
    const AppState& state = offscreen.state;
    ResultListBox& box = offscreen.showFound([&](FrmSeek& found) {
        for (const auto& folder : std::filesystem::directory_iterator(root))
            for (const auto& file : std::filesystem::directory_iterator(folder.path()))
                found.lstFoundFiles.FoundFileAdd(folder.path().string() + "/",
                                                 file.path().filename().string());
    });
    settle(state);

    SelectAllResult r;
    {
        const Stopwatch watch;
        ListSetSelected(box, -1, true);
        QCoreApplication::processEvents();
        r.selectMs = watch.wallSeconds() * 1e3;
        ListSetSelected(box, -1, false);
        settle(state);
    }

    window.lstFoundFiles.setCurrentIndex(0);
    GapMeter gaps;
    gaps.start();
    const Stopwatch watch;
    window.bAttribute->mnuSelectAll->trigger();
    r.seconds = watch.wallSeconds();
    r.cpuSeconds = watch.cpuSeconds();
    gaps.stop();

    r.rows = box.ListCount();
    r.selected = box.SelCount();
    r.boxes = panelBoxes(window);
    r.yields = gaps.rounds();
    r.longestGapMs = gaps.longestMs();
    r.longestGapCpuMs = gaps.longestCpuMs();
    const bool quiet = offscreen.answers.calls().empty() && offscreen.beeps.count() == 0;
    std::printf("%s %.6f %.6f %.6f %lld %lld %s %lld %.3f %.3f %d\n", kResultTag, r.selectMs,
                r.seconds, r.cpuSeconds, static_cast<long long>(r.rows),
                static_cast<long long>(r.selected), r.boxes.c_str(),
                static_cast<long long>(r.yields), r.longestGapMs, r.longestGapCpuMs, quiet ? 1 : 0);
    std::fflush(stdout);
    return quiet ? 0 : 3;
}

SelectAllResult runSelectAllWindow(const std::string& root, const std::string& settings)
{
    const std::string text = runThisProgram({"--select-all-run", root, settings});
    std::istringstream line(text.substr(std::min(text.size(), text.rfind(kResultTag))));
    std::string tag;
    int quiet = 0;
    SelectAllResult r;
    line >> tag >> r.selectMs >> r.seconds >> r.cpuSeconds >> r.rows >> r.selected >> r.boxes >>
        r.yields >> r.longestGapMs >> r.longestGapCpuMs >> quiet;
    if (!line || tag != kResultTag)
        throw std::runtime_error("the select-all run printed no result: " + text);
    return r;
}

void printSelectAllReport(std::FILE* out, const std::vector<SelectAllResult>& runs)
{
    if (runs.empty())
        return;
    std::vector<double> select, total, cpu;
    double gap = 0, gapCpu = 0;
    for (const SelectAllResult& r : runs) {
        select.push_back(r.selectMs);
        total.push_back(r.seconds);
        cpu.push_back(r.cpuSeconds);
        gap = std::max(gap, r.longestGapMs);
        gapCpu = std::max(gapCpu, r.longestGapCpuMs);
    }
    std::fprintf(out,
                 "\n\"Select All\" on a full result list box, %zu runs\n"
                 "  (s) the menu item: every row selected in one call, then the selection "
                 "summary over them\n\n",
                 runs.size());
    std::fprintf(out, "%9s %12s %12s %12s %10s %12s\n", "rows", "select ms", "(s) med s",
                 "(s) cpu s", "gap ms", "gap cpu ms");
    std::fprintf(out, "%9lld %12.2f %12.4f %12.4f %10.2f %12.2f\n",
                 static_cast<long long>(runs.front().rows), median(select), median(total),
                 median(cpu), gap, gapCpu);
    std::fprintf(out, "  select ms: the call alone and the round of window events after it "
                      "(median); gap: the worst of all runs\n");
    std::fprintf(out, "  %-58s %8.2f  %s\n", "longest gap between rounds of window events <= 20 ms",
                 gap, gap <= kGapMs ? "met" : "NOT MET");
}

} // namespace umbrix::bench
