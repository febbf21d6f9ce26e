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
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace umbrix {
namespace {

const QString kApp = QStringLiteral("Umbrix");
const QString kComponent = QStringLiteral("SCRRUN.DLL");
const std::string kCannot = "Cannot register server component \"SCRRUN.DLL\"\r\r";

// One attempt, with the machine store holding `stored` ("!": it cannot be
// written) and the component answering `result` (none: it could not be run).
struct Attempt {
    bool returned = false;
    int calls = 0;
    std::string shown; // "title|icon|prompt" of each message box
    bool flag = false;
    bool logged = false;
};

Attempt attempt(const char* stored, bool admin, std::optional<int32_t> result, bool quiet)
{
    test::StoreSandbox stores;
    if (stored && *stored == '!')
        test::makeFile(stores.dir() / "system");
    else if (stored)
        stores.writeIni("system", std::string("[Software]\nVB%20and%20VBA%20Program%20"
                                              "Settings\\Umbrix\\Installed\\SCRRUN.DLL=") +
                                      stored + "\n");
    const ScopedAdminAnswer answer(admin);
    const ScopedMsgBoxResponder messages;
    Attempt a;
    a.returned = RegisterScrRun(quiet, showRegistrationMessage, [&]() -> int32_t {
        ++a.calls;
        if (!result)
            throw errorFromErrno(EIO);
        return *result;
    });
    for (const MsgBoxCall& m : messages.calls())
        a.shown += (m.title + QStringLiteral("|%1|").arg(m.buttons) + m.prompt).toStdString();
    a.flag = IsInstalled(kApp, kComponent);
    // The one line a store that cannot take the flag leaves names its key.
    a.logged = test::readWholeFile(stores.logFile())
                   .ends_with("\t(Call SaveRegValue)\t[ Trying to create the Registry key "
                              "''Software\\VB and VBA Program Settings\\Umbrix\\Installed'' "
                              "failure.; Err=" +
                              std::to_string(ENOTDIR) + " ]\r\n");
    return a;
}

// An administrator's first start runs the component once: success sets the
// flag and is told only when asked; a failure it knows is told, whatever
// was asked, and stops the start; a code it does not know lets the start go
// on unflagged and silent, so that the next start tries again.
TEST(Registration, EachAnswerOfTheComponentHasItsMessageAnswerAndFlag)
{
    const std::optional<int32_t> results[] = {0, SELFREG_E_TYPELIB, SELFREG_E_CLASS,
                                              static_cast<int32_t>(0x80004005u), std::nullopt};
    std::set<std::string> failureTexts;
    for (const std::optional<int32_t>& result : results) {
        for (const bool quiet : {true, false}) {
            SCOPED_TRACE(testing::Message() << (result ? *result : -1) << (quiet ? " quiet" : ""));
            const Attempt a = attempt(nullptr, true, result, quiet);
            const bool succeeded = result == 0;
            const bool failed =
                !result || *result == SELFREG_E_TYPELIB || *result == SELFREG_E_CLASS;
            EXPECT_EQ(a.calls, 1);
            EXPECT_EQ(a.returned, !failed);
            EXPECT_EQ(a.flag, succeeded);
            EXPECT_FALSE(a.logged);
            if (!failed) {
                EXPECT_EQ(a.shown, succeeded && !quiet
                                       ? "Umbrix|64|SCRRUN.DLL  registered in your system."
                                       : "");
                continue;
            }
            EXPECT_TRUE(a.shown.starts_with("Umbrix|16|" + kCannot)) << a.shown;
            failureTexts.insert(a.shown);
        }
    }
    EXPECT_EQ(failureTexts.size(), 3u) << "each failure tells its own reason";
    EXPECT_TRUE(failureTexts.contains("Umbrix|16|" + kCannot + "Input/output error"));

    // A set flag skips the component for anyone; "0" or "" is no flag; a store
    // that cannot take the flag is logged, and the next start tries again.
    for (const bool admin : {true, false}) {
        const Attempt flagged = attempt("1", admin, SELFREG_E_CLASS, false);
        EXPECT_TRUE(flagged.returned && flagged.flag && flagged.shown.empty());
        EXPECT_EQ(flagged.calls, 0);
    }
    for (const char* unset : {"0", ""})
        EXPECT_EQ(attempt(unset, true, 0, true).calls, 1) << unset;
    const Attempt unwritable = attempt("!", true, 0, true);
    EXPECT_TRUE(unwritable.returned && unwritable.logged);
    EXPECT_FALSE(unwritable.flag);
    // Anyone else is told to ask an administrator, and nothing runs.
    const Attempt user = attempt(nullptr, false, 0, true);
    EXPECT_FALSE(user.returned || user.flag);
    EXPECT_EQ(user.calls, 0);
    EXPECT_EQ(user.shown, "Umbrix|16|Cannot register server component 'SCRRUN.DLL'\r\rYou need "
                          "'Administrator' privileges to do it.");
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
    EXPECT_EQ(messages.calls()[0].prompt.toStdString(), kCannot + std::strerror(ENOENT));

    EXPECT_TRUE(componentCheck([&calls] { return ++calls, 0; }));
    EXPECT_TRUE(componentCheck([&calls] { return ++calls, SELFREG_E_CLASS; }));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(messages.calls().size(), 1u) << "quiet after a success";
}

} // namespace
} // namespace umbrix
