#pragma once

#include "Stopwatch.h"

#include <QAbstractEventDispatcher>
#include <QObject>
#include <algorithm>
#include <chrono>
#include <cstdint>

namespace umbrix::bench {

// The longest time between two rounds of event handling, taken from the
// event dispatcher itself, so it sees every round however the program
// reaches it.  The thread's CPU time in each gap tells the program's own
// share of it from the time the shared machine gave to others.
class GapMeter {
    using Clock = std::chrono::steady_clock;

public:
    void start()
    {
        last_ = Clock::now();
        lastCpu_ = Stopwatch::threadCpuSeconds();
        connection_ = QObject::connect(QAbstractEventDispatcher::instance(),
                                       &QAbstractEventDispatcher::awake, [this] { tick(); });
    }
    void stop()
    {
        tick();
        QObject::disconnect(connection_);
    }
    int64_t rounds() const { return rounds_; }
    double longestMs() const { return std::chrono::duration<double, std::milli>(longest_).count(); }
    double longestCpuMs() const { return longestCpu_ * 1e3; }

private:
    void tick()
    {
        const Clock::time_point now = Clock::now();
        const double cpu = Stopwatch::threadCpuSeconds();
        longest_ = std::max(longest_, now - last_);
        longestCpu_ = std::max(longestCpu_, cpu - lastCpu_);
        last_ = now;
        lastCpu_ = cpu;
        ++rounds_;
    }

    QMetaObject::Connection connection_;
    Clock::time_point last_;
    Clock::duration longest_{};
    double lastCpu_ = 0;
    double longestCpu_ = 0;
    int64_t rounds_ = 0;
};

} // namespace umbrix::bench
