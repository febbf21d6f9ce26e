#include "cli/ProgressLine.h"

#include "platform/PathText.h"

#include <ctime>
#include <sys/ioctl.h>
#include <unistd.h>

namespace umbrix::cli {
namespace {

constexpr int64_t kFirstAfter = 1000;
constexpr int64_t kRedrawAfter = 100;

// The columns `text` takes: one per character, whatever its bytes.
size_t columnsTaken(std::string_view text)
{
    size_t n = 0;
    for (const char c : text)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return n;
}

} // namespace

ProgressLine::ProgressLine(std::FILE* out, std::FILE* err, bool shown, Clock clock, int columns)
    : out_(out), err_(err), shown_(shown), clock_(std::move(clock)), columns_(columns)
{
    if (shown_) {
        start_ = clock_();
        outOnTerminal_ = ::isatty(::fileno(out_)) == 1;
    }
}

bool ProgressLine::wanted(std::FILE* err, bool forPeople)
{
    return forPeople && ::isatty(::fileno(err)) == 1;
}

int ProgressLine::columnsOf(std::FILE* err)
{
    struct winsize size {};
    if (::ioctl(::fileno(err), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

int64_t ProgressLine::steadyMilliseconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void ProgressLine::draw(int64_t examined, std::string_view folder)
{
    const int64_t now = clock_();
    if (now - start_ < kFirstAfter || (visible_ && now - drawn_ < kRedrawAfter))
        return;
    drawn_ = now;
    std::string line = std::to_string(examined) + " entries examined - ";
    // The end of a long folder tells more than its start; the last column
    // stays free so that the terminal never wraps the line.
    std::string shown = displayText(folder);
    const size_t room = static_cast<size_t>(std::max(columns_ - 1, 0));
    const size_t used = columnsTaken(line);
    if (used + columnsTaken(shown) > room) {
        size_t drop = used + columnsTaken(shown) + 3 - room;
        size_t at = 0;
        for (; at < shown.size() && drop > 0; ++at)
            drop -= (static_cast<unsigned char>(shown[at]) & 0xC0) != 0x80 ? 1 : 0;
        while (at < shown.size() && (static_cast<unsigned char>(shown[at]) & 0xC0) == 0x80)
            ++at;
        shown = at < shown.size() ? "..." + shown.substr(at) : "";
    }
    line += shown;
    if (columnsTaken(line) > room)
        line.resize(room);
    // What the run printed so far comes first, on lines of its own.
    std::fflush(out_);
    std::fputs(("\r\033[K" + line).c_str(), err_);
    std::fflush(err_);
    visible_ = true;
}

void ProgressLine::erase()
{
    std::fputs("\r\033[K", err_);
    std::fflush(err_);
    visible_ = false;
}

} // namespace umbrix::cli
