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

void timeRow(std::FILE* out, const char* size, const char* kind, const Samples& s,
             int64_t entries)
{
    std::fprintf(out, "%9s  %-4s %9.4f %9.4f %11.0f %9.0f\n", size, kind, s.min(), s.median(),
                 static_cast<double>(entries) / s.median(), perEntryNs(s, entries));
}

void goal(std::FILE* out, const char* text, double value, bool met)
{
    std::fprintf(out, "  %-58s %8.2f  %s\n", text, value, met ? "met" : "NOT MET");
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
                 "  (a) raw walk: read every folder, lstat every entry, read its attribute, "
                 "rewrite hidden ones\n"
                 "  (b) ScanFolder with a host that does nothing\n"
                 "  (c) the search through the main window (offscreen), Search click to results "
                 "view\n\n",
                 runs);
    std::fprintf(out, "%9s  %-4s %9s %9s %11s %9s\n", "entries", "run", "min s", "median s",
                 "entries/s", "ns/entry");
    for (const SizeFigures& f : sizes) {
        const std::string size = std::to_string(f.entries);
        timeRow(out, size.c_str(), "(a)", f.raw, f.entries);
        timeRow(out, "", "(b)", f.scanner, f.entries);
        timeRow(out, "", "(c)", f.window, f.entries);
    }

    std::fprintf(out, "\n%9s %7s %5s %6s %6s %8s %11s %9s\n", "entries", "listed", "boxes",
                 "b/a", "c/b", "gap ms", "latency ms", "peak MiB");
    for (const SizeFigures& f : sizes) {
        std::fprintf(out, "%9lld %7lld %5lld %6.2f %6.2f %8.2f %11.2f %9.1f\n",
                     static_cast<long long>(f.entries), static_cast<long long>(f.listed),
                     static_cast<long long>(f.boxes), f.scanner.median() / f.raw.median(),
                     f.window.median() / f.scanner.median(), f.longestGapMs, f.worstLatencyMs,
                     static_cast<double>(f.peakKiB) / 1024.0);
    }
    std::fprintf(out, "  gap: longest time between two yields to window events during (c);\n"
                      "  latency: longest wait of an event posted every 3 ms during (c);\n"
                      "  peak: peak resident memory of the process running (c)\n");

    std::fprintf(out, "\nGoals\n");
    char text[96];
    for (const SizeFigures& f : sizes) {
        if (f.entries < kScannerGoalFrom)
            continue;
        const double ratio = f.scanner.median() / f.raw.median();
        std::snprintf(text, sizeof text, "(b) <= %.2f x (a) at %lld entries", kScannerOverRaw,
                      static_cast<long long>(f.entries));
        goal(out, text, ratio, ratio <= kScannerOverRaw);
    }
    double worstWindowRatio = 0;
    double longestGap = 0;
    double worstLatency = 0;
    for (const SizeFigures& f : sizes) {
        worstWindowRatio = std::max(worstWindowRatio, f.window.median() / f.scanner.median());
        longestGap = std::max(longestGap, f.longestGapMs);
        worstLatency = std::max(worstLatency, f.worstLatencyMs);
    }
    std::snprintf(text, sizeof text, "(c) <= %.0f x (b) at every size (worst)", kWindowOverScanner);
    goal(out, text, worstWindowRatio, worstWindowRatio <= kWindowOverScanner);
    if (sizes.size() >= 2) {
        const SizeFigures& small = sizes.front();
        const SizeFigures& large = sizes.back();
        const double growth =
            perEntryNs(large.window, large.entries) / perEntryNs(small.window, small.entries);
        std::snprintf(text, sizeof text, "(c) per entry at %lld <= %.1f x at %lld",
                      static_cast<long long>(large.entries), kPerEntryGrowth,
                      static_cast<long long>(small.entries));
        goal(out, text, growth, growth <= kPerEntryGrowth);
    }
    std::snprintf(text, sizeof text, "longest gap between yields during (c) <= %.0f ms",
                  kLongestGapMs);
    goal(out, text, longestGap, longestGap <= kLongestGapMs);
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
