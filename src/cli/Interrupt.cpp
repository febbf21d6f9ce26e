#include "cli/Interrupt.h"

#include <csignal>

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
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool interrupted()
{
    return caught != 0;
}

} // namespace umbrix::cli
