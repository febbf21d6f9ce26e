#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace umbrix {

// The component whose working an administrator's start makes sure of, and
// the value name of its flag in the machine-wide store.
inline constexpr std::string_view ScrRunComponent = "SCRRUN.DLL";

// Shows one message box: the prompt (lines broken by CR) with the icon code
// of a MsgBox (16 critical, 64 information), titled AppTitle.  The window
// side supplies it; this layer has no windows.
using RegistrationMessage = std::function<void(const std::string& prompt, int icon)>;

// The component's self-registration: 0, SELFREG_E_TYPELIB, SELFREG_E_CLASS
// or another code; it may throw Error.
using RegisterServerCall = std::function<int32_t()>;

// Whether this user may write the machine-wide store: effective user id 0.
bool IsAdmin();

// IsAdmin, telling the user why `component` cannot be registered when not.
bool RequireAdmin(std::string_view component, const RegistrationMessage& message);

// True when the component is usable as far as the program can tell: its flag
// is set, or `registerServer` (the file-system object's self-check when
// empty) succeeded now and the flag has been written, or it failed with a
// code that means nothing to the program (the next start tries again).
// False, after a critical message, when it failed in a way that matters or
// could not be run at all.  `Quiet` suppresses the message after a success.
bool RegisterScrRun(bool Quiet, const RegistrationMessage& message,
                    const RegisterServerCall& registerServer = {});

// While alive, IsAdmin answers `isAdmin` whatever the effective user is, so
// that both kinds of start can be tested by one user.
class ScopedAdminAnswer {
public:
    explicit ScopedAdminAnswer(bool isAdmin);
    ~ScopedAdminAnswer();
    ScopedAdminAnswer(const ScopedAdminAnswer&) = delete;
    ScopedAdminAnswer& operator=(const ScopedAdminAnswer&) = delete;

private:
    std::optional<bool> previous_;
};

} // namespace umbrix
