#include "app/EndSignals.h"

#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <initializer_list>
#include <unistd.h>

namespace umbrix {
namespace {

int wakeUp[2] = {-1, -1};
constexpr std::initializer_list<int> kEnding = {SIGHUP, SIGTERM, SIGINT};

extern "C" void onEndSignal(int signal)
{
    const char number = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(wakeUp[1], &number, 1);
}

} // namespace

EndSignals::EndSignals(std::function<void()> atEnd) : atEnd_(std::move(atEnd))
{
    std::signal(SIGPIPE, SIG_IGN);
    if (::pipe2(wakeUp, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier_ = new QSocketNotifier(wakeUp[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char number = 0;
        if (::read(wakeUp[0], &number, 1) != 1)
            return;
        atEnd_();
        std::signal(number, SIG_DFL);
        ::raise(number);
    });
    struct sigaction action {};
    action.sa_handler = onEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kEnding)
        sigaction(signal, &action, nullptr);
}

EndSignals::~EndSignals()
{
    for (const int signal : kEnding)
        std::signal(signal, SIG_DFL);
    delete notifier_;
    ::close(wakeUp[0]);
    ::close(wakeUp[1]);
}

} // namespace umbrix
