#include "ui/main/YieldPacer.h"

#include <gtest/gtest.h>

namespace umbrix {
namespace {

using namespace std::chrono_literals;

struct FakeClock {
    using duration = std::chrono::nanoseconds;
    using rep = duration::rep;
    using period = duration::period;
    using time_point = std::chrono::time_point<FakeClock>;
    static constexpr bool is_steady = true;

    static inline time_point current{};
    static inline long reads = 0;
    static time_point now()
    {
        ++reads;
        return current;
    }
};
using Pacer = BasicYieldPacer<FakeClock>;

// However fast or slow the work between two questions, and when it slows
// down at once (a walk entering a network share), a round comes within the
// larger of one step and two quick strides of its time, late at most once
// after the change; a fast walk reads the clock for a small part of its
// questions.  A restart yields at the next question.
TEST(YieldPacer, RoundsComeOnTimeWhileTheClockIsReadSparingly)
{
    for (const auto step : {1us, 7us, 90us, 1000us, 4000us, 0us}) {
        SCOPED_TRACE(step.count());
        FakeClock::current = {};
        FakeClock::reads = 0;
        Pacer pacer;
        pacer.startNow();
        auto dueAt = FakeClock::current + Pacer::kInterval;
        long questions = 0;
        int rounds = 0, late = 0;
        while (rounds < 20) {
            // Step 0 stands for 1 us for 25 ms, then 500 us.
            const auto now = step != 0us                                  ? step
                             : FakeClock::current < FakeClock::time_point{25ms} ? 1us
                                                                                : 500us;
            FakeClock::current += now;
            ++questions;
            if (!pacer.due())
                continue;
            ASSERT_GE(FakeClock::current - dueAt, 0us);
            const auto bound = std::max<FakeClock::duration>(now, 2 * Pacer::kQuickStride);
            late += FakeClock::current - dueAt >= bound ? 1 : 0;
            pacer.yield([] { FakeClock::current += 3ms; });
            dueAt = FakeClock::current - 3ms + Pacer::kInterval;
            ++rounds;
        }
        EXPECT_LE(late, step == 0us ? 1 : 0);
        if (step == 1us || step == 7us) {
            EXPECT_LT(FakeClock::reads * 8, questions);
        }
    }
    Pacer pacer;
    pacer.startNow();
    for (int i = 0; i < 1000; ++i) {
        FakeClock::current += 1us;
        ASSERT_FALSE(pacer.due());
    }
    pacer.restart();
    EXPECT_TRUE(pacer.due());
}

} // namespace
} // namespace umbrix
