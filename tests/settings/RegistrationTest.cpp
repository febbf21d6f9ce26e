#include "settings/Registration.h"

#include "app/Startup.h"
#include "fileops/SelfRegistration.h"
#include "platform/Error.h"
#include "settings/InstalledFlag.h"
#include "settings/StoreSandbox.h"
#include "ui/main/FrmSeek.h"
#include "ui/main/LogViewerInstance.h"
#include "ui/services/Interaction.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <optional>
#include <sys/wait.h>
#include <unistd.h>

namespace umbrix {
namespace {

const QString kApp = QStringLiteral("Umbrix");
const QString kComponent = QStringLiteral("SCRRUN.DLL");
const QString kCannot = QStringLiteral("Cannot register server component \"SCRRUN.DLL\"\r\r");
const QString kTypelib = kCannot + QStringLiteral("The server was unable to complete the "
                                                  "registration of all the type libraries used "
                                                  "by its classes.");
const QString kClass = kCannot + QStringLiteral("The server was unable to complete the "
                                                "registration of all the object classes.");
const QString kNotAdmin = QStringLiteral("Cannot register server component 'SCRRUN.DLL'\r\rYou "
                                         "need 'Administrator' privileges to do it.");
const QString kRegistered = QStringLiteral("SCRRUN.DLL  registered in your system.");
const QString kNone;

// One attempt: what the machine store held ("!" it cannot be written), who
// asked, what the component answered (none: it could not be run), and what
// the program did: its answer, the component calls, the message and its
// icon, and the flag afterwards.
struct Case {
    const char* stored;
    bool admin;
    std::optional<int32_t> result;
    bool quiet;
    bool returns;
    int calls;
    QString message;
    int icon;
    bool flag;
};

const Case kCases[] = {
    {nullptr, true, 0, true, true, 1, kNone, 0, true},
    {nullptr, true, 0, false, true, 1, kRegistered, 64, true},
    {"!", true, 0, false, true, 1, kRegistered, 64, false},
    {nullptr, true, SELFREG_E_TYPELIB, true, false, 1, kTypelib, 16, false},
    {nullptr, true, SELFREG_E_CLASS, false, false, 1, kClass, 16, false},
    // Unknown to the program: it goes on, the next start tries again, and
    // no success is claimed even when asked to speak.
    {nullptr, true, static_cast<int32_t>(0x80004005u), false, true, 1, kNone, 0, false},
    {nullptr, true, std::nullopt, true, false, 1, kCannot + QStringLiteral("Input/output error"),
     16, false},
    {"1", true, SELFREG_E_CLASS, false, true, 0, kNone, 0, true},
    {"0", true, 0, true, true, 1, kNone, 0, true},
    {"", true, SELFREG_E_CLASS, true, false, 1, kClass, 16, false},
    {nullptr, false, 0, true, false, 0, kNotAdmin, 16, false},
    {"1", false, 0, true, true, 0, kNone, 0, true},
};

TEST(Registration, EachResultCodeHasItsMessageAnswerAndFlag)
{
    int row = 0;
    for (const Case& c : kCases) {
        SCOPED_TRACE(++row);
        test::StoreSandbox stores;
        if (c.stored && *c.stored == '!')
            test::makeFile(stores.dir() / "system");
        else if (c.stored)
            stores.writeIni("system", std::string("[Software]\nVB%20and%20VBA%20Program%20"
                                                  "Settings\\Umbrix\\Installed\\SCRRUN.DLL=") +
                                          c.stored + "\n");
        const ScopedAdminAnswer admin(c.admin);
        const ScopedMsgBoxResponder messages;
        int calls = 0;
        EXPECT_EQ(RegisterScrRun(c.quiet, showRegistrationMessage,
                                 [&]() -> int32_t {
                                     ++calls;
                                     if (!c.result)
                                         throw errorFromErrno(EIO);
                                     return *c.result;
                                 }),
                  c.returns);
        EXPECT_EQ(calls, c.calls);
        ASSERT_EQ(messages.calls().size(), c.message.isEmpty() ? 0u : 1u);
        if (!c.message.isEmpty()) {
            EXPECT_EQ(messages.calls()[0].prompt, c.message);
            EXPECT_EQ(messages.calls()[0].buttons, c.icon);
            EXPECT_EQ(messages.calls()[0].title, kApp);
        }
        EXPECT_EQ(IsInstalled(kApp, kComponent), c.flag);
        // Only a flag that cannot be written leaves a line in the log file.
        EXPECT_EQ(test::readWholeFile(stores.logFile()).find("Trying to create the Registry key") !=
                      std::string::npos,
                  c.stored && *c.stored == '!');
    }
}

// The effective user itself, in a child process that gave up root.
TEST(Registration, AnyOtherEffectiveUserIsNoAdministrator)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to become another user";
    test::StoreSandbox stores;
    EXPECT_TRUE(IsAdmin());
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int shown = 0;
        int calls = 0;
        const auto count = [&shown](const std::string& prompt, int icon) {
            shown +=
                prompt.ends_with("You need 'Administrator' privileges to do it.") && icon == 16;
        };
        const bool ok = ::setresuid(65534, 65534, 0) == 0 && !IsAdmin() &&
                        !RegisterScrRun(true, count, [&calls] { return ++calls, 0; }) &&
                        calls == 0 && shown == 1;
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// Anyone but an administrator starts unchecked.  An administrator's start
// whose real self-check cannot run (its scratch folder's parent is gone)
// shows that alone and ends before any window; after a success later starts
// skip the check.
TEST(Registration, StartUpChecksOnlyForAnAdministratorAndEndsOnFailure)
{
    test::StoreSandbox stores;
    const ScopedMsgBoxResponder messages;
    int calls = 0;
    {
        const ScopedAdminAnswer admin(false);
        EXPECT_TRUE(componentCheck([&calls] { return ++calls, SELFREG_E_CLASS; }));
        EXPECT_EQ(calls, 0);
        EXPECT_FALSE(test::exists(stores.systemIni()));
    }
    const ScopedAdminAnswer admin(true);
    const QByteArray previous = qgetenv("TMPDIR");
    qputenv("TMPDIR", QByteArray::fromStdString(stores.dir() / "gone"));
    {
        AppState state;
        FrmSeek window(state);
        EXPECT_FALSE(startUp(window, {}));
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(logViewer(), nullptr);
    }
    previous.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", previous);
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_EQ(messages.calls()[0].prompt, kCannot + QString::fromUtf8(std::strerror(ENOENT)));

    EXPECT_TRUE(componentCheck([&calls] { return ++calls, 0; }));
    EXPECT_TRUE(componentCheck([&calls] { return ++calls, SELFREG_E_CLASS; }));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(messages.calls().size(), 1u) << "quiet after a success";
}

} // namespace
} // namespace umbrix
