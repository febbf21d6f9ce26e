#include "Report.h"

#include <algorithm>
#include <string>

namespace umbrix::bench {
namespace {

constexpr double kScannerOverRaw = 1.25;
constexpr int64_t kScannerGoalFrom = 100000;
constexpr double kWindowOverScanner = 2.0;
constexpr double kPerEntryGrowth = 1.2;
constexpr double kLongestGapMs = 20;
constexpr double kLatencyMs = 50;
constexpr double kPeakMiB = 200;

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

void printReport(std::FILE* out, const std::vector<SizeFigures>& sizes, int runs)
{
    std::fprintf(out,
                 "\n%d timed runs of each kind per size, interleaved; ratios and per-entry times "
                 "from the medians\n"
                 "  (a) raw walk: every folder opened from its parent and read once, types "
                 "from the listing,\n"
                 "      each attribute read and a hidden one rewritten relative to its folder\n"
                 "  (b) ScanFolder with a host that does nothing\n"
                 "  (c) the search through the main window (offscreen), Search click to results "
                 "view\n\n",
                 runs);
    std::fprintf(out, "%9s  %-4s %9s %9s %9s %11s %9s\n", "entries", "run", "min s", "median s",
                 "cpu s", "entries/s", "ns/entry");
    for (const SizeFigures& f : sizes) {
        const std::string size = std::to_string(f.entries);
        timeRow(out, size.c_str(), "(a)", f.raw, f.rawCpu, f.entries);
        timeRow(out, "", "(b)", f.scanner, f.scannerCpu, f.entries);
        timeRow(out, "", "(c)", f.window, f.windowCpu, f.entries);
    }
    std::fprintf(out, "  cpu s: median CPU time of the thread that ran it\n");

    std::fprintf(out, "\n%9s %7s %5s %6s %6s %6s %6s %6s %6s %7s %6s %8s %8s\n", "entries",
                 "listed", "boxes", "b/a", "(min)", "(cpu)", "c/b", "(min)", "(cpu)", "gap ms",
                 "(cpu)", "latency", "peak MiB");
    for (const SizeFigures& f : sizes) {
        std::fprintf(
            out, "%9lld %7lld %5lld %6.2f %6.2f %6.2f %6.2f %6.2f %6.2f %7.2f %6.2f %8.2f %8.1f\n",
            static_cast<long long>(f.entries), static_cast<long long>(f.listed),
            static_cast<long long>(f.boxes), f.scanner.median() / f.raw.median(),
            f.scanner.min() / f.raw.min(), f.scannerCpu.median() / f.rawCpu.median(),
            f.window.median() / f.scanner.median(), f.window.min() / f.scanner.min(),
            f.windowCpu.median() / f.scannerCpu.median(), f.longestGapMs, f.longestGapCpuMs,
            f.worstLatencyMs, static_cast<double>(f.peakKiB) / 1024.0);
    }
    std::fprintf(out, "  b/a, c/b: ratio of the median times, (min) of the minimums, (cpu) of "
                      "the median CPU times;\n"
                      "  gap ms: longest time between two yields to window events during (c), "
                      "(cpu) the most CPU\n"
                      "    time the window's thread spent between two yields;\n"
                      "  latency: longest wait in ms of an event posted every 3 ms during (c);\n"
                      "  peak MiB: peak resident memory of the process running (c)\n");

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
    const SizeFigures* worstWindow = nullptr;
    double longestGap = 0;
    double longestGapCpu = 0;
    double worstLatency = 0;
    for (const SizeFigures& f : sizes) {
        if (!worstWindow || f.window.median() / f.scanner.median() >
                                worstWindow->window.median() / worstWindow->scanner.median())
            worstWindow = &f;
        longestGap = std::max(longestGap, f.longestGapMs);
        longestGapCpu = std::max(longestGapCpu, f.longestGapCpuMs);
        worstLatency = std::max(worstLatency, f.worstLatencyMs);
    }
    if (worstWindow) {
        const double ratio = worstWindow->window.median() / worstWindow->scanner.median();
        std::snprintf(text, sizeof text, "(c) <= %.0f x (b) at every size (worst: %lld)",
                      kWindowOverScanner, static_cast<long long>(worstWindow->entries));
        std::snprintf(aside, sizeof aside, "(cpu %.2f)",
                      worstWindow->windowCpu.median() / worstWindow->scannerCpu.median());
        goal(out, text, ratio, ratio <= kWindowOverScanner, aside);
    }
    if (sizes.size() >= 2) {
        const SizeFigures& small = sizes.front();
        const SizeFigures& large = sizes.back();
        const double growth =
            perEntryNs(large.window, large.entries) / perEntryNs(small.window, small.entries);
        std::snprintf(text, sizeof text, "(c) per entry at %lld <= %.1f x at %lld",
                      static_cast<long long>(large.entries), kPerEntryGrowth,
                      static_cast<long long>(small.entries));
        std::snprintf(aside, sizeof aside, "(cpu %.2f)",
                      perEntryNs(large.windowCpu, large.entries) /
                          perEntryNs(small.windowCpu, small.entries));
        goal(out, text, growth, growth <= kPerEntryGrowth, aside);
    }
    std::snprintf(text, sizeof text, "longest gap between yields during (c) <= %.0f ms",
                  kLongestGapMs);
    std::snprintf(aside, sizeof aside, "(cpu %.2f)", longestGapCpu);
    goal(out, text, longestGap, longestGap <= kLongestGapMs, aside);
    std::snprintf(text, sizeof text, "posted-event latency during (c) <= %.0f ms", kLatencyMs);
    goal(out, text, worstLatency, worstLatency <= kLatencyMs);
    if (!sizes.empty()) {
        const SizeFigures& large = sizes.back();
        const double mib = static_cast<double>(large.peakKiB) / 1024.0;
        std::snprintf(text, sizeof text, "peak memory of (c) at %lld entries < %.0f MiB",
                      static_cast<long long>(large.entries), kPeakMiB);
        goal(out, text, mib, mib < kPeakMiB);
    }
}

} // namespace umbrix::bench
