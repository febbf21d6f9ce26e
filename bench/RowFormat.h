#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The figures and lines the command rows of the benchmark share.
namespace umbrix::bench {

inline double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

inline double minimum(const std::vector<double>& v)
{
    return v.empty() ? 0 : *std::min_element(v.begin(), v.end());
}

// One timed kind: its size, minimum and median wall time, median CPU time
// ("-" where none was measured) and time per item.
inline void timedRow(std::FILE* out, int64_t items, const char* kind, int width,
                     const std::vector<double>& wall, const std::vector<double>& cpu)
{
    char cpuText[16] = "-";
    if (!cpu.empty())
        std::snprintf(cpuText, sizeof cpuText, "%.4f", median(cpu));
    std::fprintf(out, "%9lld  %-*s %9.4f %9.4f %9s %9.0f\n", static_cast<long long>(items), width,
                 kind, minimum(wall), median(wall), cpuText,
                 median(wall) * 1e9 / static_cast<double>(items));
}

inline void goalLine(std::FILE* out, const std::string& text, double value, bool met)
{
    std::fprintf(out, "  %-58s %8.2f  %s\n", text.c_str(), value, met ? "met" : "NOT MET");
}

} // namespace umbrix::bench
