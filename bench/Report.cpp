#include "Report.h"

#include <algorithm>
#include <string>

namespace umbrix::bench {
namespace {

constexpr double kScannerOverRaw = 1.10;
constexpr int64_t kScannerGoalFrom = 100000;
constexpr double kWindowOverScanner = 1.25;
constexpr int64_t kGrowthFrom = 100000;
constexpr double kPerEntryGrowth = 1.1;
constexpr double kLongestGapMs = 20;
constexpr double kLatencyMs = 50;
constexpr double kPeakMiB = 200;
constexpr double kSyscallsApart = 0.15;

double perEntryNs(const Samples& s, int64_t entries)
{
    return entries > 0 ? s.median() * 1e9 / static_cast<double>(entries) : 0;
}

void timeRow(std::FILE* out, const char* size, const char* kind, const Samples& wall,
             const Samples& cpu, int64_t entries)
{
    std::fprintf(out, "%9s  %-4s %9.4f %9.4f %9.4f %11.0f %9.0f\n", size, kind, wall.min(),
                 wall.median(), cpu.median(), static_cast<double>(entries) / wall.median(),
                 perEntryNs(wall, entries));
}

void goal(std::FILE* out, const char* text, double value, bool met, const char* aside = "")
{
    std::fprintf(out, "  %-52s %8.2f  %-7s %s\n", text, value, met ? "met" : "NOT MET", aside);
}

} // namespace

double Samples::min() const
{
    return values_.empty() ? 0 : *std::min_element(values_.begin(), values_.end());
}

double Samples::median() const
{
    if (values_.empty())
        return 0;
    std::vector<double> v = values_;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void printReport(std::FILE* out, const std::vector<SizeFigures>& sizes, const SyscallFigures& calls,
                 int runs)
{
    std::fprintf(out,
                 "\n%d timed runs of each kind per size, interleaved; ratios and per-entry times "
                 "from the medians;\n"
                 "every run in a fresh process of its own, timed from its first step to its last\n"
                 "  (a) raw walk: every folder opened from its parent and read once, types "
                 "from the listing,\n"
                 "      each attribute read and a hidden one rewritten relative to its folder\n"
                 "      calls: %s\n"
                 "  (b) ScanFolder with a host that does nothing\n"
                 "  (c) the search through the main window (offscreen), Search click to results "
                 "view\n"
                 "  (v) (c) with \"View not hidden file/dir also\": every entry listed\n",
                 runs, calls.rawCalls.c_str());
    if (!sizes.empty() && !sizes.front().reference.empty())
        std::fprintf(out, "  (r) %s --variant=at --no-stat, the outside reference for (a),\n"
                          "      timed from its start to its exit\n",
                     calls.referenceWalker.c_str());
    std::fprintf(out, "\n");
    std::fprintf(out, "%9s  %-4s %9s %9s %9s %11s %9s\n", "entries", "run", "min s", "median s",
                 "cpu s", "entries/s", "ns/entry");
    for (const SizeFigures& f : sizes) {
        const std::string size = std::to_string(f.entries);
        timeRow(out, size.c_str(), "(a)", f.raw, f.rawCpu, f.entries);
        if (!f.reference.empty())
            timeRow(out, "", "(r)", f.reference, f.referenceCpu, f.entries);
        timeRow(out, "", "(b)", f.scanner, f.scannerCpu, f.entries);
        timeRow(out, "", "(c)", f.window.time, f.window.cpu, f.entries);
        timeRow(out, "", "(v)", f.viewAll.time, f.viewAll.cpu, f.entries);
    }
    std::fprintf(out, "  cpu s: median CPU time of the thread that ran it ((r): of the process)\n");

    std::fprintf(out, "\n%9s %7s %6s %6s %6s %6s %6s %6s %7s %6s %8s %8s\n", "entries", "listed",
                 "b/a", "(min)", "(cpu)", "c/b", "(min)", "(cpu)", "gap ms", "(cpu)", "latency",
                 "peak MiB");
    for (const SizeFigures& f : sizes) {
        for (const bool all : {false, true}) {
            const WindowFigures& w = all ? f.viewAll : f.window;
            char label[16];
            std::snprintf(label, sizeof label, "%s", all ? "(v)" : "");
            const std::string size = all ? std::string(label) : std::to_string(f.entries);
            std::fprintf(out, "%9s %7lld ", size.c_str(),
                         static_cast<long long>(all ? w.boxes : f.listed));
            if (all)
                std::fprintf(out, "%6s %6s %6s ", "", "", "");
            else
                std::fprintf(out, "%6.2f %6.2f %6.2f ", f.scanner.median() / f.raw.median(),
                             f.scanner.min() / f.raw.min(),
                             f.scannerCpu.median() / f.rawCpu.median());
            std::fprintf(out, "%6.2f %6.2f %6.2f %7.2f %6.2f %8.2f %8.1f\n",
                         w.time.median() / f.scanner.median(), w.time.min() / f.scanner.min(),
                         w.cpu.median() / f.scannerCpu.median(), w.longestGapMs, w.longestGapCpuMs,
                         w.worstLatencyMs, static_cast<double>(w.peakKiB) / 1024.0);
        }
    }
    std::fprintf(out, "  listed: rows of (c); on the (v) lines, the result list boxes (v) used\n"
                      "  b/a, c/b: ratio of the median times, (min) of the minimums, (cpu) of "
                      "the median CPU times;\n"
                      "    on the (v) lines, v/b\n"
                      "  gap ms: longest time between two yields to window events, (cpu) the "
                      "most CPU time the\n"
                      "    window's thread spent between two yields;\n"
                      "  latency: longest wait in ms of an event posted every 3 ms;\n"
                      "  peak MiB: peak resident memory of the process running the search\n");

    const bool counted = calls.raw >= 0 && calls.scanner >= 0 && calls.entries > 0;
    const double rawPerEntry =
        counted ? static_cast<double>(calls.raw) / static_cast<double>(calls.entries) : 0;
    const double scannerPerEntry =
        counted ? static_cast<double>(calls.scanner) / static_cast<double>(calls.entries) : 0;
    if (counted)
        std::fprintf(out, "\nsystem calls per entry at %lld entries (%s): (a) %.3f, (b) %.3f\n",
                     static_cast<long long>(calls.entries), calls.how.c_str(), rawPerEntry,
                     scannerPerEntry);
    else
        std::fprintf(out, "\nsystem calls not counted: %s\n", calls.how.c_str());

    std::fprintf(out, "\nGoals (median times)\n");
    char text[96];
    char aside[64];
    for (const SizeFigures& f : sizes) {
        if (f.entries < kScannerGoalFrom)
            continue;
        const double ratio = f.scanner.median() / f.raw.median();
        std::snprintf(text, sizeof text, "(b) <= %.2f x (a) at %lld entries", kScannerOverRaw,
                      static_cast<long long>(f.entries));
        std::snprintf(aside, sizeof aside, "(cpu %.2f)", f.scannerCpu.median() / f.rawCpu.median());
        goal(out, text, ratio, ratio <= kScannerOverRaw, aside);
    }
    for (const SizeFigures& f : sizes) {
        const double ratio = f.window.time.median() / f.scanner.median();
        std::snprintf(text, sizeof text, "(c) <= %.2f x (b) at %lld entries", kWindowOverScanner,
                      static_cast<long long>(f.entries));
        std::snprintf(aside, sizeof aside, "(cpu %.2f)",
                      f.window.cpu.median() / f.scannerCpu.median());
        goal(out, text, ratio, ratio <= kWindowOverScanner, aside);
    }
    const SizeFigures* from = nullptr;
    for (const SizeFigures& f : sizes)
        if (f.entries == kGrowthFrom)
            from = &f;
    if (from && sizes.back().entries > from->entries) {
        const SizeFigures& large = sizes.back();
        const struct {
            const char* kind;
            const Samples& small;
            const Samples& big;
            const Samples& smallCpu;
            const Samples& bigCpu;
        } growths[] = {
            {"(b)", from->scanner, large.scanner, from->scannerCpu, large.scannerCpu},
            {"(c)", from->window.time, large.window.time, from->window.cpu, large.window.cpu},
        };
        for (const auto& g : growths) {
            const double growth =
                perEntryNs(g.big, large.entries) / perEntryNs(g.small, from->entries);
            std::snprintf(text, sizeof text, "%s per entry at %lld <= %.1f x at %lld", g.kind,
                          static_cast<long long>(large.entries), kPerEntryGrowth,
                          static_cast<long long>(from->entries));
            std::snprintf(aside, sizeof aside, "(cpu %.2f)",
                          perEntryNs(g.bigCpu, large.entries) /
                              perEntryNs(g.smallCpu, from->entries));
            goal(out, text, growth, growth <= kPerEntryGrowth, aside);
        }
    }
    for (const bool all : {false, true}) {
        double gap = 0;
        double gapCpu = 0;
        double latency = 0;
        for (const SizeFigures& f : sizes) {
            const WindowFigures& w = all ? f.viewAll : f.window;
            gap = std::max(gap, w.longestGapMs);
            gapCpu = std::max(gapCpu, w.longestGapCpuMs);
            latency = std::max(latency, w.worstLatencyMs);
        }
        const char* kind = all ? "(v)" : "(c)";
        std::snprintf(text, sizeof text, "longest gap between yields during %s <= %.0f ms", kind,
                      kLongestGapMs);
        std::snprintf(aside, sizeof aside, "(cpu %.2f)", gapCpu);
        goal(out, text, gap, gap <= kLongestGapMs, aside);
        std::snprintf(text, sizeof text, "posted-event latency during %s <= %.0f ms", kind,
                      kLatencyMs);
        goal(out, text, latency, latency <= kLatencyMs);
    }
    if (!sizes.empty()) {
        const SizeFigures& large = sizes.back();
        for (const bool all : {false, true}) {
            const WindowFigures& w = all ? large.viewAll : large.window;
            const double mib = static_cast<double>(w.peakKiB) / 1024.0;
            std::snprintf(text, sizeof text, "peak memory of %s at %lld entries < %.0f MiB",
                          all ? "(v)" : "(c)", static_cast<long long>(large.entries), kPeakMiB);
            goal(out, text, mib, mib < kPeakMiB);
        }
    }
    if (counted) {
        const double apart = scannerPerEntry - rawPerEntry;
        std::snprintf(text, sizeof text, "system calls per entry of (b) within %.2f of (a)",
                      kSyscallsApart);
        goal(out, text, apart, apart <= kSyscallsApart);
    }
}

} // namespace umbrix::bench
