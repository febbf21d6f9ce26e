#include "platform/Error.h"
#include "platform/FaultInjection.h"
#include "settings/SettingsStore.h"
#include "ui/main/LogViewer.h"
#include "ui/main/MainWindowFixture.h"

#include <cerrno>
#include <cmath>

namespace umbrix {
namespace {

using platform::FaultPoint;

// The main window over a tree whose folder "sub" cannot be read, and the log
// viewer that start-up loaded beside it.
class WindowLogViewer : public test::MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        folder("sub", 0x2);
        for (int i = 0; i < 30; ++i)
            file("h" + std::to_string(i), 0x2);
    }

    bool viewerShown() { return logViewer() && logViewer()->isVisible(); }
    // The scanner's three-line report of the unreadable folder, as shown.
    bool viewerHoldsReport()
    {
        const Error error = errorFromErrno(EIO);
        const std::string report = "Path: \"" + at("sub") +
                                   "/\"\nFile: \"\"\nError: " + error.description + " (" +
                                   std::to_string(error.number) + ")";
        return logViewer()->text().toStdString().find(report) != std::string::npos;
    }

    const std::string unreadable_ = at("sub");
    const platform::ScopedFaultHook faults_{[this](FaultPoint point, std::string_view path) {
        if (path.ends_with('/'))
            path.remove_suffix(1);
        return point == FaultPoint::OpenDirectory && path == unreadable_ ? EIO : 0;
    }};
};

// A failure goes to the log; while the log is off the screen, the command's
// completion message counts what nobody saw, below its own words.
TEST_F(WindowLogViewer, ASearchShowsTheFailureReportOnlyWhileLoggingIsOn)
{
    state.LogErrors = true;
    window->cmdSearch->click();
    EXPECT_TRUE(viewerShown());
    EXPECT_TRUE(viewerHoldsReport()) << logViewer()->text().toStdString();
    EXPECT_EQ(messages.calls().back().prompt, QStringLiteral("File scanning completed."));
    EXPECT_EQ(messages.calls().back().buttons, MsgBoxStyle::Information);
    window->cmdSearch->click();
    EXPECT_FALSE(viewerShown()) << "going back to the browser view takes the viewer away";

    logViewer()->Clear();
    state.LogErrors = false;
    window->cmdSearch->click();
    EXPECT_FALSE(viewerShown());
    EXPECT_TRUE(viewerHoldsReport()) << "logged unseen, for when the viewer is shown";
    const QString completed = messages.calls().back().prompt;
    EXPECT_TRUE(completed.startsWith(QStringLiteral("File scanning completed.\r\r1 entry ")))
        << completed.toStdString();
    EXPECT_TRUE(completed.contains(QStringLiteral("Log Errors")));
    EXPECT_EQ(messages.calls().back().buttons, MsgBoxStyle::Exclamation);
}

// Cancel, going back to the browser view and minimizing take the shown
// viewer away; restoring brings it back.  Without logging it stays as it is.
TEST_F(WindowLogViewer, TheViewerGoesAndComesWithTheWindow)
{
    state.LogErrors = true;
    state.ScanPause = 0.01f;
    bool cancelled = false;
    {
        ScopedDoEventsHook hook([&] {
            if (!cancelled && viewerShown() && state.Searching) {
                cancelled = true;
                window->cmdExit->click();
            }
        });
        window->cmdSearch->click();
    }
    ASSERT_TRUE(cancelled);
    EXPECT_FALSE(viewerShown());
    window->cmdSearch->click();
    ASSERT_TRUE(viewerShown());
    window->setFormState(WindowState::Minimized);
    EXPECT_FALSE(viewerShown());
    window->setFormState(WindowState::Normal);
    EXPECT_TRUE(viewerShown());
    state.LogErrors = false;
    window->setFormState(WindowState::Minimized);
    EXPECT_TRUE(viewerShown());
}

// Exit ends in order: the window goes, the file system object is released
// and the viewer is unloaded with its place stored.
TEST_F(WindowLogViewer, ExitEndsInOrderAndStoresTheViewersPlace)
{
    logViewer()->move(40, 30);
    const QString left = QString::number(std::lround(40 * logViewer()->twipsPerPixel()));
    window->cmdExit->click();
    EXPECT_TRUE(state.Closing);
    EXPECT_FALSE(window->isVisible() || window->cmdExit->isEnabled());
    EXPECT_EQ(window->FileSystem, nullptr);
    EXPECT_EQ(logViewer(), nullptr);
    EXPECT_EQ(GetSetting(QStringLiteral("Umbrix"), SettingName::Section, SettingName::LogLeft, {}),
              left);
}

} // namespace
} // namespace umbrix
