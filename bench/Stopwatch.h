#pragma once

#include <chrono>
#include <time.h>

namespace umbrix::bench {

// The wall time and the calling thread's CPU time of one timed stretch.  The
// machine is shared: the CPU time shows what the run itself cost, whatever
// else kept the processor busy meanwhile.
class Stopwatch {
public:
    Stopwatch() : wall_(std::chrono::steady_clock::now()), cpu_(threadCpuSeconds()) {}

    double wallSeconds() const
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_).count();
    }
    double cpuSeconds() const { return threadCpuSeconds() - cpu_; }

    static double threadCpuSeconds()
    {
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
    }

private:
    std::chrono::steady_clock::time_point wall_;
    double cpu_;
};

} // namespace umbrix::bench
