#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace umbrix::cli {

// "N entries examined - FOLDER" on standard error while a long run goes on:
// shown once the run has taken a second, rewritten in place at most ten
// times a second, cleared before any other line and at the end.  A run that
// is not on a terminal shows nothing and costs a counter.
class ProgressLine {
public:
    using Clock = std::function<int64_t()>; // milliseconds on a monotonic clock

    ProgressLine(std::FILE* out, std::FILE* err, bool shown, Clock clock, int columns);
    ~ProgressLine() { clear(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // Whether progress belongs on `err`: a terminal, for people's output.
    static bool wanted(std::FILE* err, bool forPeople);
    // The terminal's width, 80 where it does not tell.
    static int columnsOf(std::FILE* err);
    static int64_t steadyMilliseconds();

    // `examined` entries met so far, the last of them in `folder`.  The
    // clock is read every 256th call only.
    void update(int64_t examined, std::string_view folder)
    {
        if (shown_ && (++calls_ & 255) == 0)
            draw(examined, folder);
    }
    // Takes the line away, so that the next line written starts a line.
    void clear()
    {
        if (visible_)
            erase();
    }
    // Before a line on `out`: the line goes only when both share a terminal.
    void clearForOutput()
    {
        if (visible_ && outOnTerminal_)
            erase();
    }

private:
    void draw(int64_t examined, std::string_view folder);
    void erase();

    std::FILE* out_;
    std::FILE* err_;
    bool shown_;
    bool outOnTerminal_ = false;
    Clock clock_;
    int columns_;
    int64_t start_ = 0;
    int64_t drawn_ = 0;
    uint32_t calls_ = 0;
    bool visible_ = false;
};

} // namespace umbrix::cli
