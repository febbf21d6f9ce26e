#include "settings/Registration.h"

#include "fileops/SelfRegistration.h"
#include "platform/AppTitle.h"
#include "platform/Error.h"
#include "settings/InstalledFlag.h"

#include <QString>
#include <exception>
#include <unistd.h>

namespace umbrix {
namespace {

constexpr int kCritical = 16;
constexpr int kInformation = 64;

std::optional<bool>& adminAnswer()
{
    static std::optional<bool> answer;
    return answer;
}

QString qtext(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

void say(const RegistrationMessage& message, const std::string& prompt, int icon)
{
    if (message)
        message(prompt, icon);
}

std::string cannotRegister()
{
    return "Cannot register server component \"" + std::string(ScrRunComponent) + "\"\r\r";
}

} // namespace

bool IsAdmin()
{
    if (const std::optional<bool>& answer = adminAnswer())
        return *answer;
    return ::geteuid() == 0;
}

bool RequireAdmin(std::string_view component, const RegistrationMessage& message)
{
    const bool admin = IsAdmin();
    if (!admin)
        say(message,
            "Cannot register server component '" + std::string(component) +
                "'\r\rYou need 'Administrator' privileges to do it.",
            kCritical);
    return admin;
}

bool RegisterScrRun(bool Quiet, const RegistrationMessage& message,
                    const RegisterServerCall& registerServer)
{
    const QString appName = qtext(AppTitle);
    const QString component = qtext(ScrRunComponent);
    try {
        if (IsInstalled(appName, component))
            return true;
        if (!RequireAdmin(ScrRunComponent, message))
            return false;
        const int32_t result = registerServer ? registerServer() : DllRegisterServer();
        switch (result) {
        case 0:
            SetInstalled(appName, component);
            break;
        case SELFREG_E_TYPELIB:
            say(message,
                cannotRegister() + "The server was unable to complete the registration of all "
                                   "the type libraries used by its classes.",
                kCritical);
            return false;
        case SELFREG_E_CLASS:
            say(message,
                cannotRegister() +
                    "The server was unable to complete the registration of all the object classes.",
                kCritical);
            return false;
        default:
            // A code the program knows nothing of: it goes on, the flag stays
            // unset so that the next start tries again, and nobody is told it
            // worked.
            return true;
        }
    } catch (const Error& e) {
        say(message, cannotRegister() + e.description, kCritical);
        return false;
    } catch (const std::exception& e) {
        say(message, cannotRegister() + e.what(), kCritical);
        return false;
    }
    if (!Quiet)
        say(message, std::string(ScrRunComponent) + "  registered in your system.", kInformation);
    return true;
}

ScopedAdminAnswer::ScopedAdminAnswer(bool isAdmin) : previous_(adminAnswer())
{
    adminAnswer() = isAdmin;
}

ScopedAdminAnswer::~ScopedAdminAnswer()
{
    adminAnswer() = previous_;
}

} // namespace umbrix
