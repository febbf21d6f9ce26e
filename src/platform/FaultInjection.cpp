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

namespace detail {

bool faultHookInstalled = false;

int callFaultHook(FaultPoint point, std::string_view path)
{
    const FaultHook& hook = installedHook();
    return hook ? hook(point, path) : 0;
}

} // namespace detail

ScopedFaultHook::ScopedFaultHook(FaultHook hook)
    : previous_(std::exchange(installedHook(), std::move(hook)))
{
    detail::faultHookInstalled = static_cast<bool>(installedHook());
}

ScopedFaultHook::~ScopedFaultHook()
{
    installedHook() = std::move(previous_);
    detail::faultHookInstalled = static_cast<bool>(installedHook());
}

} // namespace umbrix::platform
