#pragma once

#include <algorithm>
#include <chrono>

namespace umbrix {

// When a long operation next yields to the window's events.  A round is due
// a fixed interval after the last one began, not after it ended: a round
// that paints and lays out the result lists takes several milliseconds, and
// counting the interval from its end would add that to every gap a person
// can feel.  The work still gets a short stretch between two rounds.
//
// A walk asks several times per entry, and on a virtual machine reading the
// clock costs about as much as a step of the walk.  So the clock is read only
// every `stride` questions: the stride doubles while a stride's questions
// take less than kQuickStride, stays while they take less than twice that,
// and falls back to one question as soon as they take longer.  A round is
// then never more than two quick strides late, or one question where a
// single question takes longer; the small cap bounds what a sudden slowdown
// (a walk entering a network share) can cost before the stride adapts.
template <class Clock = std::chrono::steady_clock> class BasicYieldPacer {
public:
    static constexpr std::chrono::milliseconds kInterval{10};
    static constexpr std::chrono::milliseconds kLeastWork{2};
    static constexpr std::chrono::microseconds kQuickStride{100};
    static constexpr int kMostQuestionsPerRead = 16;

    bool due()
    {
        if (--untilRead_ > 0)
            return false;
        const auto now = Clock::now();
        const auto took = now - lastRead_;
        if (took < kQuickStride)
            stride_ = std::min(2 * stride_, kMostQuestionsPerRead);
        else if (took >= 2 * kQuickStride)
            stride_ = 1;
        lastRead_ = now;
        untilRead_ = stride_;
        return now >= next_;
    }
    // Yields now: `round` shows what is pending and handles the events.
    template <class Round> void yield(Round round)
    {
        const auto began = Clock::now();
        round();
        next_ = std::max(began + kInterval, Clock::now() + kLeastWork);
    }
    // The next check yields at once.
    void restart()
    {
        next_ = {};
        untilRead_ = 0;
    }
    // The first round comes one interval from now: a short run ends before
    // any, and a long one shows its first progress as soon as a person can
    // tell.
    void startNow()
    {
        next_ = Clock::now() + kInterval;
        untilRead_ = 0;
    }

private:
    typename Clock::time_point next_{};
    typename Clock::time_point lastRead_{};
    int stride_ = 1;
    int untilRead_ = 0;
};

using YieldPacer = BasicYieldPacer<>;

} // namespace umbrix
