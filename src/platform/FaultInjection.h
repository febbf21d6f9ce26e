#pragma once

#include <functional>
#include <string_view>

namespace umbrix::platform {

// Tests run as root, where the kernel refuses almost nothing, so the store
// layer offers one place where a test can make a chosen operation on a chosen
// path fail with an errno.  Unset, it costs one branch per call.  A hook
// that returns 0 lets the call through, so a test can also act on the disk
// at a chosen step (swap a folder for a link just before an unlink).
//
// Unlink: removing an entry (a file, a link, an emptied folder) relative to
// its folder.  CopyEntry: copying one entry that is not a folder, named by
// its source.
enum class FaultPoint { OpenDirectory, ReadAttributes, WriteAttributes, Unlink, CopyEntry };

using FaultHook = std::function<int(FaultPoint, std::string_view path)>;

namespace detail {
extern bool faultHookInstalled;
int callFaultHook(FaultPoint point, std::string_view path);
} // namespace detail

// Returns the errno the installed hook asks for, 0 when none is installed or
// it lets the call through.  A walk asks twice per entry: without a hook the
// answer is one load and one branch, inline.
inline int injectedFault(FaultPoint point, std::string_view path)
{
    return detail::faultHookInstalled ? detail::callFaultHook(point, path) : 0;
}

// Installs `hook` for the lifetime of the guard; the previous hook comes back
// when it ends.
class ScopedFaultHook {
public:
    explicit ScopedFaultHook(FaultHook hook);
    ~ScopedFaultHook();
    ScopedFaultHook(const ScopedFaultHook&) = delete;
    ScopedFaultHook& operator=(const ScopedFaultHook&) = delete;

private:
    FaultHook previous_;
};

} // namespace umbrix::platform
