#include "log/LogViewer.h"
#include "platform/Error.h"
#include "platform/FaultInjection.h"
#include "settings/SettingsStore.h"
#include "ui/main/MainWindowFixture.h"

#include <cerrno>
#include <cmath>

namespace umbrix {
namespace {

using platform::FaultPoint;
using test::MainWindowFixture;

// The main window over a tree whose folder "sub" cannot be read, and the log
// viewer that start-up loaded beside it.
class WindowLogViewer : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        folder("sub", 0x2);
        file("sub/inner", 0x2);
        for (int i = 0; i < 30; ++i)
            file("h" + std::to_string(i), 0x2);
        const std::string unreadable = at("sub");
        faults_ = std::make_unique<platform::ScopedFaultHook>([unreadable](FaultPoint point, std::string_view path) {
            if (point != FaultPoint::OpenDirectory)
                return 0;
            if (!path.empty() && path.back() == '/')
                path.remove_suffix(1);
            return path == unreadable ? EIO : 0;
        });
    }

    void TearDown() override
    {
        faults_.reset();
        MainWindowFixture::TearDown();
    }

    LogViewer& viewer()
    {
        LogViewer* loaded = logViewer();
        EXPECT_NE(loaded, nullptr);
        return *loaded;
    }
    bool viewerShown() { return logViewer() && logViewer()->isVisible(); }

    // What the scanner logs for the unreadable folder, as the viewer shows it.
    std::string report() const
    {
        const Error error = errorFromErrno(EIO);
        return "Path: \"" + at("sub") + "/\"\nFile: \"\"\nError: " + error.description + " ("
               + std::to_string(error.number) + ")";
    }
    bool viewerHoldsReport() { return viewer().text().toStdString().find(report()) != std::string::npos; }

private:
    std::unique_ptr<platform::ScopedFaultHook> faults_;
};

TEST_F(WindowLogViewer, ASearchShowsTheFailureReportOnlyWhileLoggingIsOn)
{
    app().LogErrors = true;
    window->cmdSearch->click();
    EXPECT_TRUE(viewerShown());
    EXPECT_TRUE(viewerHoldsReport()) << viewer().text().toStdString();
    EXPECT_EQ(window->cmdSearch->text(), QStringLiteral("Reset"));

    window->cmdSearch->click();
    EXPECT_FALSE(viewerShown()) << "going back to the browser view takes the viewer away";

    viewer().Clear();
    app().LogErrors = false;
    window->cmdSearch->click();
    EXPECT_FALSE(viewerShown());
    EXPECT_TRUE(viewerHoldsReport()) << "logged unseen, for when the viewer is shown";
}

TEST_F(WindowLogViewer, CancelTakesTheShownViewerAway)
{
    app().LogErrors = true;
    app().ScanPause = 0.01f;
    bool cancelled = false;
    ScopedDoEventsHook hook([&] {
        if (!cancelled && viewerShown() && app().Searching) {
            cancelled = true;
            window->cmdExit->click();
        }
    });

    window->cmdSearch->click();

    ASSERT_TRUE(cancelled);
    EXPECT_FALSE(viewerShown());
    EXPECT_TRUE(window->txtSearchSpec.Visible());
    EXPECT_EQ(window->resultBox(0).ListCount(), 0);
}

TEST_F(WindowLogViewer, MinimizingHidesTheViewerAndRestoringShowsItAgain)
{
    app().LogErrors = true;
    window->cmdSearch->click();
    ASSERT_TRUE(viewerShown());

    window->setWindowStateValue(1);
    EXPECT_FALSE(viewerShown());
    window->setWindowStateValue(0);
    EXPECT_TRUE(viewerShown());

    // Without logging the viewer is left as it is, shown or not.
    app().LogErrors = false;
    window->setWindowStateValue(1);
    EXPECT_TRUE(viewerShown());
    window->setWindowStateValue(0);
    viewer().hide();
    window->setWindowStateValue(1);
    window->setWindowStateValue(0);
    EXPECT_FALSE(viewerShown());
}

TEST_F(WindowLogViewer, ExitUnloadsTheViewerAndStoresItsPlace)
{
    app().LogErrors = true;
    window->cmdSearch->click();
    ASSERT_TRUE(viewerShown());
    viewer().move(40, 30);
    const QString left = QString::number(std::lround(40 * viewer().twipsPerPixel()));

    window->cmdExit->click();

    EXPECT_EQ(logViewer(), nullptr);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(GetSetting(QStringLiteral("Umbrix"), SettingName::Section, SettingName::LogLeft, {}), left);
}

TEST_F(WindowLogViewer, TheCloseBoxUnloadsTheViewer)
{
    ASSERT_NE(logViewer(), nullptr);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(logViewer(), nullptr);
}

// Start-up with "LogError" stored as "True".
class StartUpWithLogging : public MainWindowFixture {
protected:
    void SetUp() override
    {
        SaveSetting(QStringLiteral("Umbrix"), SettingName::Section, SettingName::LogError, QStringLiteral("True"));
        MainWindowFixture::SetUp();
    }
};

TEST_F(StartUpWithLogging, ReadsTheSwitchAndLoadsTheViewerHidden)
{
    EXPECT_TRUE(app().LogErrors);
    ASSERT_NE(logViewer(), nullptr);
    EXPECT_FALSE(logViewer()->isVisible());
    EXPECT_TRUE(logViewer()->isEmpty());
}

} // namespace
} // namespace umbrix
