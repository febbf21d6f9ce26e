#include "settings/Registration.h"

#include "app/Startup.h"
#include "fileops/SelfRegistration.h"
#include "platform/Error.h"
#include "settings/InstalledFlag.h"
#include "settings/StoreSandbox.h"
#include "ui/main/AppState.h"
#include "ui/main/FrmSeek.h"
#include "ui/main/LogViewerInstance.h"
#include "ui/services/Interaction.h"

#include <QApplication>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <optional>
#include <sys/wait.h>
#include <unistd.h>

namespace umbrix {
namespace {

using test::readWholeFile;
using test::StoreSandbox;

const QString kApp = QStringLiteral("Umbrix");
const QString kComponent = QStringLiteral("SCRRUN.DLL");
const QString kCannot = QStringLiteral("Cannot register server component \"SCRRUN.DLL\"\r\r");
const QString kTypelibText = QStringLiteral(
    "The server was unable to complete the registration of all the type libraries used by its "
    "classes.");
const QString kClassText =
    QStringLiteral("The server was unable to complete the registration of all the object classes.");
const QString kNotAdmin = QStringLiteral("Cannot register server component 'SCRRUN.DLL'\r\rYou "
                                         "need 'Administrator' privileges to do it.");
const QString kRegistered = QStringLiteral("SCRRUN.DLL  registered in your system.");

struct Shown {
    QString prompt;
    int icon;
};

// One registration attempt: what the store held, who asked, what the
// component answered, and what the program did about it.
struct Case {
    const char* name;
    const char* storedFlag; // null: no flag stored
    bool admin;
    std::optional<int32_t> result; // none: the component could not be run
    bool quiet;
    bool returns;
    int serverCalls;
    std::optional<Shown> message;
    bool flagAfter;
};

const Case kCases[] = {
    {"success, quiet", nullptr, true, 0, true, true, 1, std::nullopt, true},
    {"success, told", nullptr, true, 0, false, true, 1, Shown{kRegistered, 64}, true},
    {"type libraries", nullptr, true, SELFREG_E_TYPELIB, true, false, 1,
     Shown{kCannot + kTypelibText, 16}, false},
    {"classes", nullptr, true, SELFREG_E_CLASS, false, false, 1, Shown{kCannot + kClassText, 16},
     false},
    // A code of no meaning to the program: it goes on, tries again next
    // time, and does not claim a success even when asked to speak.
    {"unknown code", nullptr, true, static_cast<int32_t>(0x80004005u), false, true, 1, std::nullopt,
     false},
    {"cannot run", nullptr, true, std::nullopt, true, false, 1,
     Shown{kCannot + QStringLiteral("No such file or directory"), 16}, false},
    {"flag set", "1", true, 0, false, true, 0, std::nullopt, true},
    {"flag in words", "yes", true, 0, true, true, 0, std::nullopt, true},
    {"flag of zero", "0", true, 0, true, true, 1, std::nullopt, true},
    {"flag empty", "", true, SELFREG_E_CLASS, true, false, 1, Shown{kCannot + kClassText, 16},
     false},
    {"not administrator", nullptr, false, 0, true, false, 0, Shown{kNotAdmin, 16}, false},
    {"not administrator, flag set", "1", false, 0, true, true, 0, std::nullopt, true},
};

TEST(Registration, EachResultCodeHasItsMessageReturnAndFlag)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        StoreSandbox stores;
        if (c.storedFlag)
            stores.writeIni("system", std::string("[Software]\nVB%20and%20VBA%20Program%20"
                                                  "Settings\\Umbrix\\Installed\\SCRRUN.DLL=") +
                                          c.storedFlag + "\n");
        const ScopedAdminAnswer admin(c.admin);
        const ScopedMsgBoxResponder messages;
        int calls = 0;
        const bool returned = RegisterScrRun(c.quiet, showRegistrationMessage, [&]() -> int32_t {
            ++calls;
            if (!c.result)
                throw errorFromErrno(ENOENT);
            return *c.result;
        });
        EXPECT_EQ(returned, c.returns);
        EXPECT_EQ(calls, c.serverCalls);
        if (c.message) {
            ASSERT_EQ(messages.calls().size(), 1u);
            EXPECT_EQ(messages.calls()[0].prompt, c.message->prompt);
            EXPECT_EQ(messages.calls()[0].buttons, c.message->icon);
            EXPECT_EQ(messages.calls()[0].title, kApp);
        } else {
            EXPECT_TRUE(messages.calls().empty()) << messages.calls()[0].prompt.toStdString();
        }
        EXPECT_EQ(IsInstalled(kApp, kComponent), c.flagAfter);
        EXPECT_FALSE(test::exists(stores.logFile()));
    }
}

// The flag cannot be written (the machine-wide folder is a file): the check
// counts as done for this start, nothing is shown, and the log file says why.
TEST(Registration, AFlagThatCannotBeWrittenGoesToTheLogFileAlone)
{
    StoreSandbox stores;
    test::makeFile(stores.dir() / "system");
    const ScopedAdminAnswer admin(true);
    const ScopedMsgBoxResponder messages;
    EXPECT_TRUE(RegisterScrRun(false, showRegistrationMessage, [] { return 0; }));
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_EQ(messages.calls()[0].prompt, kRegistered);
    EXPECT_FALSE(IsInstalled(kApp, kComponent));
    EXPECT_NE(readWholeFile(stores.logFile()).find("Trying to create the Registry key ''"),
              std::string::npos);
}

// The real test of the effective user: a child process that gave up root.
TEST(Registration, AnyOtherEffectiveUserIsNoAdministrator)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to become another user";
    StoreSandbox stores;
    EXPECT_TRUE(IsAdmin());
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setresuid(65534, 65534, 0) != 0)
            ::_exit(10);
        int shown = 0;
        const auto count = [&shown](const std::string& prompt, int icon) {
            shown += prompt.find("'Administrator' privileges") != std::string::npos && icon == 16;
        };
        int calls = 0;
        const bool registered = RegisterScrRun(true, count, [&calls] { return ++calls, 0; });
        ::_exit(IsAdmin() ? 11 : registered ? 12 : calls ? 13 : shown != 1 ? 14 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(StartUpCheck, AnAdministratorsStartChecksOnceAndAnyOtherStartNotAtAll)
{
    StoreSandbox stores;
    const ScopedMsgBoxResponder messages;
    int calls = 0;
    const auto server = [&calls] { return ++calls, SELFREG_E_CLASS; };
    {
        const ScopedAdminAnswer admin(false);
        EXPECT_TRUE(componentCheck(server));
        EXPECT_EQ(calls, 0);
        EXPECT_FALSE(test::exists(stores.systemIni()));
    }
    const ScopedAdminAnswer admin(true);
    EXPECT_FALSE(componentCheck(server));
    EXPECT_EQ(calls, 1);
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_EQ(messages.calls()[0].prompt, kCannot + kClassText);

    EXPECT_TRUE(componentCheck([&calls] { return ++calls, 0; }));
    EXPECT_TRUE(componentCheck(server)) << "the flag makes later starts skip the check";
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(messages.calls().size(), 1u) << "quiet after a success";
}

// The real self-check fails to run (its scratch folder's parent is gone): the
// only thing a person sees is the message, and no window opens.
TEST(StartUpCheck, AFailedCheckEndsTheStartBeforeAnyWindow)
{
    StoreSandbox stores;
    const ScopedAdminAnswer admin(true);
    const ScopedMsgBoxResponder messages;
    const QByteArray previous = qgetenv("TMPDIR");
    qputenv("TMPDIR", QByteArray::fromStdString(stores.dir() / "gone"));
    AppState state;
    {
        FrmSeek window(state);
        EXPECT_FALSE(startUp(window, {}));
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(logViewer(), nullptr);
    }
    previous.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", previous);
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_EQ(messages.calls()[0].prompt, kCannot + QString::fromUtf8(std::strerror(ENOENT)));
    EXPECT_EQ(messages.calls()[0].buttons, MsgBoxStyle::Critical);
    EXPECT_FALSE(IsInstalled(kApp, kComponent));
}

} // namespace
} // namespace umbrix
