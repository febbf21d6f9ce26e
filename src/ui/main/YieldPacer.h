#pragma once

#include <algorithm>
#include <chrono>

namespace umbrix {

// When a long operation next yields to the window's events.  A round is due
// a fixed interval after the last one began, not after it ended: a round
// that paints and lays out the result lists takes several milliseconds, and
// counting the interval from its end would add that to every gap a person
// can feel.  The work still gets a short stretch between two rounds.
class YieldPacer {
public:
    static constexpr std::chrono::milliseconds kInterval{10};
    static constexpr std::chrono::milliseconds kLeastWork{2};

    bool due() const { return std::chrono::steady_clock::now() >= next_; }
    // Yields now: `round` shows what is pending and handles the events.
    template <class Round> void yield(Round round)
    {
        const auto began = std::chrono::steady_clock::now();
        round();
        next_ = std::max(began + kInterval, std::chrono::steady_clock::now() + kLeastWork);
    }
    // The next check yields at once.
    void restart() { next_ = {}; }
    // The first round comes one interval from now: a short run ends before
    // any, and a long one shows its first progress as soon as a person can
    // tell.
    void startNow() { next_ = std::chrono::steady_clock::now() + kInterval; }

private:
    std::chrono::steady_clock::time_point next_{};
};

} // namespace umbrix
