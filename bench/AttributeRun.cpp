#include "AttributeRun.h"

#include "FlatFiles.h"
#include "GapMeter.h"
#include "OffscreenWindow.h"
#include "RowFormat.h"
#include "Stopwatch.h"
#include "WindowRun.h"
#include "ui/controls/ResultListBox.h"
#include "ui/main/FrmSeek.h"
#include "ui/services/Interaction.h"

#include <QAction>
#include <QApplication>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <thread>

namespace umbrix::bench {
namespace {

constexpr const char* kResultTag = "attribute-run";
constexpr const char* kXattr = "user.DOSATTRIB";
constexpr unsigned long kHidden = 0x2;
constexpr unsigned long kArchive = 0x20;

void writeValue(const std::string& path, unsigned long attributes)
{
    char text[24];
    const int n = std::snprintf(text, sizeof text, "0x%lx", attributes);
    if (lsetxattr(path.c_str(), kXattr, text, static_cast<size_t>(n) + 1, 0) != 0)
        throw std::runtime_error("setxattr " + path + ": " + std::strerror(errno));
}

// The attributes in a text-form value; false when none can be read.
bool readValue(const std::string& path, unsigned long& attributes)
{
    char value[64];
    const ssize_t n = lgetxattr(path.c_str(), kXattr, value, sizeof value - 1);
    if (n < 3 || value[0] != '0' || value[1] != 'x')
        return false;
    value[n] = 0;
    attributes = std::strtoul(value + 2, nullptr, 16);
    return true;
}

} // namespace

std::vector<std::string> buildAttributeFiles(const std::string& root, int64_t count)
{
    std::vector<std::string> paths;
    paths.reserve(static_cast<size_t>(count));
    for (int64_t i = 0; i < count; ++i) {
        const std::string path = makeFlatFile(root, i, 'f');
        writeValue(path, kHidden | kArchive);
        paths.push_back(path);
    }
    return paths;
}

int64_t rehideFiles(const std::vector<std::string>& paths)
{
    int64_t unhidden = 0;
    for (const std::string& path : paths) {
        unsigned long attributes = 0;
        if (!readValue(path, attributes) || !(attributes & kHidden))
            ++unhidden;
        writeValue(path, kHidden | kArchive);
    }
    return unhidden;
}

int64_t rawClearHidden(const std::vector<std::string>& paths)
{
    int64_t hidden = 0;
    for (const std::string& path : paths) {
        struct stat st;
        unsigned long attributes = 0;
        if (lstat(path.c_str(), &st) != 0 || S_ISLNK(st.st_mode) || !readValue(path, attributes))
            continue;
        if (attributes & kHidden) {
            ++hidden;
            writeValue(path, attributes & ~kHidden);
        }
    }
    return hidden;
}

int64_t rawReadHidden(const std::vector<std::string>& paths)
{
    int64_t hidden = 0;
    for (const std::string& path : paths) {
        struct stat st;
        unsigned long attributes = 0;
        if (lstat(path.c_str(), &st) == 0 && readValue(path, attributes) && (attributes & kHidden))
            ++hidden;
    }
    return hidden;
}

int attributeRunMain(int argc, char** argv, const std::string& root, const std::string& settings,
                     int64_t count, const std::string& kind)
{
    OffscreenWindow offscreen(argc, argv, settings);
    if (!offscreen.start())
        return 2;
    FrmSeek& window = offscreen.window;
    const AppState& state = offscreen.state;
    ResultListBox& box = offscreen.showFound([&](FrmSeek& found) {
        for (int64_t i = 0; i < count; ++i)
            found.lstFoundFiles.FoundFileAdd(folderOf(root, i), numberedFile('f', i));
    });
    // Selected as a person selects them, which fills the panel.
    window.lstFoundFiles.setCurrentIndex(0);
    window.bAttribute->mnuSelectAll->trigger();
    box.setListIndex(0);
    window.SourceList = SourceKind::Listbox;
    settle(state);

    GapMeter gaps;
    gaps.start();
    const Stopwatch watch;
    if (kind == "clear") {
        // The box shows every row hidden; clearing it unhides them all.
        window.fraAttrib->setValue(1, CheckValue::Checked);
        window.fraAttrib->findChild<QCheckBox*>(QStringLiteral("chkAttr1"))->click();
    } else {
        window.fraAttrib->ShowSelectionAttributes(0);
    }
    AttributeWindowResult r;
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
    std::printf("%s %.6f %.6f %lld %lld %s %lld %.3f %.3f %d\n", kResultTag, r.seconds,
                r.cpuSeconds, static_cast<long long>(r.rows), static_cast<long long>(r.selected),
                r.boxes.c_str(), static_cast<long long>(r.yields), r.longestGapMs,
                r.longestGapCpuMs, quiet ? 1 : 0);
    std::fflush(stdout);
    return quiet ? 0 : 3;
}

AttributeWindowResult runAttributeWindow(const std::string& root, const std::string& settings,
                                         int64_t count, AttributeRunKind kind)
{
    const std::string text =
        runThisProgram({"--attribute-run", root, settings, std::to_string(count),
                        kind == AttributeRunKind::ClearHidden ? "clear" : "summary"});
    std::istringstream line(text.substr(std::min(text.size(), text.rfind(kResultTag))));
    std::string tag;
    int quiet = 0;
    AttributeWindowResult r;
    line >> tag >> r.seconds >> r.cpuSeconds >> r.rows >> r.selected >> r.boxes >> r.yields >>
        r.longestGapMs >> r.longestGapCpuMs >> quiet;
    if (!line || tag != kResultTag)
        throw std::runtime_error("the attribute run printed no result: " + text);
    return r;
}

} // namespace umbrix::bench

namespace umbrix::bench {
namespace {

constexpr double kOverRaw = 1.5;
constexpr double kGapMs = 20;
constexpr double kPerRowGrowth = 1.2;

} // namespace

void printAttributeReport(std::FILE* out, const std::vector<AttributeFigures>& sizes, int runs)
{
    std::fprintf(out,
                 "\nAttribute commands over every row of a result list box, %d timed runs each, "
                 "interleaved\n"
                 "  (d) clearing hidden through the window's hidden box; raw: lstat, read and "
                 "rewrite user.DOSATTRIB\n"
                 "  (e) the selection summary through the window; raw: lstat and read "
                 "user.DOSATTRIB\n\n",
                 runs);
    std::fprintf(out, "%9s  %-22s %9s %9s %9s %9s\n", "rows", "run", "min s", "median s", "cpu s",
                 "ns/row");
    for (const AttributeFigures& f : sizes) {
        timedRow(out, f.rows, "(d) raw clear", 22, f.rawClear, {});
        timedRow(out, f.rows, "(d) window clear", 22, f.windowClear, f.windowClearCpu);
        timedRow(out, f.rows, "(e) raw read", 22, f.rawSummary, {});
        timedRow(out, f.rows, "(e) window summary", 22, f.windowSummary, f.windowSummaryCpu);
    }
    std::fprintf(out, "\n%9s %9s %9s %9s %9s %9s %9s\n", "rows", "d/raw", "(min)", "e/raw", "(min)",
                 "d gap ms", "e gap ms");
    for (const AttributeFigures& f : sizes) {
        std::fprintf(out, "%9lld %9.2f %9.2f %9.2f %9.2f %9.2f %9.2f\n",
                     static_cast<long long>(f.rows), median(f.windowClear) / median(f.rawClear),
                     minimum(f.windowClear) / minimum(f.rawClear),
                     median(f.windowSummary) / median(f.rawSummary),
                     minimum(f.windowSummary) / minimum(f.rawSummary), f.clearGapMs,
                     f.summaryGapMs);
    }
    std::fprintf(out, "  gap ms: longest time between two rounds of window events during the "
                      "run (worst of all runs)\n");

    std::fprintf(out, "\nGoals (median times)\n");
    double gap = 0;
    for (const AttributeFigures& f : sizes) {
        const std::string at = " at " + std::to_string(f.rows) + " rows";
        const double d = median(f.windowClear) / median(f.rawClear);
        const double e = median(f.windowSummary) / median(f.rawSummary);
        goalLine(out, "(d) <= 1.5 x its raw loop" + at, d, d <= kOverRaw);
        goalLine(out, "(e) <= 1.5 x its raw loop" + at, e, e <= kOverRaw);
        gap = std::max({gap, f.clearGapMs, f.summaryGapMs});
    }
    if (sizes.size() >= 2) {
        const AttributeFigures& small = sizes.front();
        const AttributeFigures& large = sizes.back();
        const auto perRow = [](const std::vector<double>& v, int64_t rows) {
            return median(v) / static_cast<double>(rows);
        };
        const std::string sizesText =
            " at " + std::to_string(large.rows) + " / at " + std::to_string(small.rows);
        const double d =
            perRow(large.windowClear, large.rows) / perRow(small.windowClear, small.rows);
        const double e =
            perRow(large.windowSummary, large.rows) / perRow(small.windowSummary, small.rows);
        goalLine(out, "(d) time per row" + sizesText + " <= 1.2", d, d <= kPerRowGrowth);
        goalLine(out, "(e) time per row" + sizesText + " <= 1.2", e, e <= kPerRowGrowth);
    }
    goalLine(out, "longest gap between rounds of window events <= 20 ms", gap, gap <= kGapMs);
}

} // namespace umbrix::bench
