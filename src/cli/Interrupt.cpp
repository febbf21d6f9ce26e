#include "cli/Interrupt.h"

#include <csignal>
#include <initializer_list>

namespace umbrix::cli {
namespace {

volatile std::sig_atomic_t caught = 0;

extern "C" void onInterrupt(int)
{
    caught = 1;
}

} // namespace

void catchInterrupts()
{
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // A closed terminal or a reader that went away ("| head") ends the run
    // the same way: the records of what it changed are written first.
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
        sigaction(signal, &action, nullptr);
}

bool interrupted()
{
    return caught != 0;
}

} // namespace umbrix::cli
