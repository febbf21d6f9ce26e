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

// However fast or slow the work between two questions, a round comes
// within the larger of one step and two quick strides of its time, and a
// fast walk reads the clock for only a small part of its questions.
TEST(YieldPacer, RoundsComeOnTimeWhileTheClockIsReadSparingly)
{
    using Pacer = BasicYieldPacer<FakeClock>;
    for (const auto step : {1us, 7us, 30us, 90us, 150us, 1000us, 4000us}) {
        FakeClock::current = {};
        Pacer pacer;
        pacer.startNow();
        auto dueAt = FakeClock::current + Pacer::kInterval;
        long questions = 0;
        FakeClock::reads = 0;
        int rounds = 0;
        while (rounds < 20) {
            FakeClock::current += step;
            ++questions;
            if (!pacer.due())
                continue;
            const auto late = FakeClock::current - dueAt;
            ASSERT_GE(late, 0us) << "step " << step.count() << " us";
            ASSERT_LT(late, std::max<FakeClock::duration>(step, 2 * Pacer::kQuickStride))
                << "step " << step.count() << " us, round " << rounds;
            pacer.yield([] { FakeClock::current += 3ms; });
            dueAt = FakeClock::current - 3ms + Pacer::kInterval;
            ++rounds;
        }
        if (step <= 7us) {
            EXPECT_LT(FakeClock::reads * 8, questions) << "step " << step.count() << " us";
        }
    }
}

// A walk that slows down at once (it entered a network share) pays for the
// stride it had grown only until the next read of the clock.
TEST(YieldPacer, ASuddenSlowdownDelaysOneRoundAtMost)
{
    using Pacer = BasicYieldPacer<FakeClock>;
    FakeClock::current = {};
    Pacer pacer;
    pacer.startNow();
    auto dueAt = FakeClock::current + Pacer::kInterval;
    int rounds = 0;
    int lateRounds = 0;
    while (rounds < 20) {
        const auto step = FakeClock::current < FakeClock::time_point{25ms} ? 1us : 500us;
        FakeClock::current += step;
        if (!pacer.due())
            continue;
        if (FakeClock::current - dueAt >= std::max<FakeClock::duration>(step, 2 * Pacer::kQuickStride))
            ++lateRounds;
        pacer.yield([] {});
        dueAt = FakeClock::current + Pacer::kInterval;
        ++rounds;
    }
    EXPECT_LE(lateRounds, 1);
}

TEST(YieldPacer, ARestartYieldsAtTheNextQuestion)
{
    BasicYieldPacer<FakeClock> pacer;
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
