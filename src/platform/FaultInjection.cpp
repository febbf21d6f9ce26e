#include "platform/FaultInjection.h"

#include <utility>

namespace umbrix::platform {
namespace {
FaultHook& installedHook()
{
    static FaultHook hook;
    return hook;
}
} // namespace

int injectedFault(FaultPoint point, std::string_view path)
{
    const FaultHook& hook = installedHook();
    return hook ? hook(point, path) : 0;
}

ScopedFaultHook::ScopedFaultHook(FaultHook hook)
    : previous_(std::exchange(installedHook(), std::move(hook)))
{}

ScopedFaultHook::~ScopedFaultHook()
{
    installedHook() = std::move(previous_);
}

} // namespace umbrix::platform
