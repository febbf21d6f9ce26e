#include "ui/main/WindowMenu.h"

#include "settings/SettingsStore.h"
#include "ui/main/AboutWindow.h"
#include "ui/main/LogViewer.h"
#include "ui/main/MainWindowFixture.h"

#include <QAction>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <cmath>

namespace umbrix {
namespace {

using namespace SystemCommand;

QString stored(const QString& name)
{
    return GetSetting(QStringLiteral("Umbrix"), SettingName::Section, name, QStringLiteral("(none)"));
}

class WindowMenuTest : public test::MainWindowFixture {
protected:
    WindowMenu& menu() { return *window->windowMenu; }
    QAction& item(int command) { return *menu().item(command); }
    bool viewerShown() { return logViewer()->isVisible(); }
};

// The bar lies above the client area: the layout starts below it and
// nothing is covered, in either view.  Alt+Space opens the menu.
TEST_F(WindowMenuTest, TheMenuItsPlaceAndAltSpace)
{
    std::vector<std::string> captions;
    for (const QAction* action : menu().menu()->actions())
        captions.push_back(action->isSeparator() ? "-" : action->text().toStdString());
    EXPECT_EQ(captions, (std::vector<std::string>{"&Restore", "Mi&nimize", "Ma&ximize",
                                                  "&Close\tAlt+F4", "-", "About...", "Log Errors",
                                                  "Check for malware shortcuts..."}));
    EXPECT_FALSE(item(LogErrors).isChecked()) << "no stored switch: logging is off";
    const QRect bar = menu().bar()->geometry();
    EXPECT_EQ(bar, QRect(0, 0, window->width(), bar.height()));
    EXPECT_FLOAT_EQ(window->ScaleHeight(),
                    static_cast<float>(window->height() - bar.height()) * window->scale().y);
    expectTidyLayout();
    file("shy", 0x2);
    window->cmdSearch->click();
    EXPECT_EQ(menu().bar()->width(), window->width());
    expectTidyLayout();
    QTest::keyClick(window->txtTip.get(), Qt::Key_Space, Qt::AltModifier);
    EXPECT_TRUE(menu().menu()->isVisible());
    EXPECT_EQ(window->txtTip->text(), QString()) << "the key is the menu's";
}

// The mark, not the variable, decides the new value, which is stored and
// read at the next start; the viewer is shown (on top) only when there is
// something in it, and its place is stored when it goes.
TEST_F(WindowMenuTest, LogErrorsFlipsTheSwitchTheMarkTheSettingAndTheViewer)
{
    item(LogErrors).trigger();
    EXPECT_TRUE(state.LogErrors && item(LogErrors).isChecked());
    EXPECT_EQ(stored(SettingName::LogError), QStringLiteral("True"));
    EXPECT_FALSE(viewerShown()) << "an empty log is not shown";
    item(LogErrors).trigger();
    EXPECT_FALSE(state.LogErrors || item(LogErrors).isChecked());
    EXPECT_EQ(stored(SettingName::LogError), QStringLiteral("False"));

    logViewer()->Log(QStringLiteral("Path: \"/x\""));
    state.LogErrors = true;
    item(LogErrors).trigger();
    EXPECT_TRUE(state.LogErrors && viewerShown());
    EXPECT_TRUE(logViewer()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    logViewer()->move(70, 50);
    item(LogErrors).trigger();
    EXPECT_FALSE(viewerShown());
    EXPECT_EQ(stored(SettingName::LogTop),
              QString::number(std::lround(50 * logViewer()->twipsPerPixel())));
    // Last: starting another window hands the shared viewer to its state.
    item(LogErrors).trigger();
    AppState otherState;
    FrmSeek other(otherState);
    ASSERT_TRUE(startUp(other, {}));
    EXPECT_TRUE(otherState.LogErrors && other.windowMenu->item(LogErrors)->isChecked())
        << "the next start reads the stored switch";
}

TEST_F(WindowMenuTest, WhatCouldDisturbTheWalkIsGrayedWhileItRuns)
{
    for (int i = 0; i < 20; ++i)
        file("h" + std::to_string(i), 0x2);
    state.ScanPause = 0.01f;
    int rounds = 0;
    const ScopedDoEventsHook during([&] {
        if (!state.Searching)
            return;
        ++rounds;
        EXPECT_FALSE(item(About).isEnabled());
        EXPECT_FALSE(item(CheckShortcuts).isEnabled());
        EXPECT_TRUE(item(LogErrors).isEnabled());
    });
    window->cmdSearch->click();
    EXPECT_GT(rounds, 0);
    EXPECT_TRUE(item(About).isEnabled() && item(CheckShortcuts).isEnabled()) << "after the walk";
}

// Restore, Minimize and Maximize gray when they do not apply; "About..." on
// a minimized window brings it back first; Close unhooks the handler.
TEST_F(WindowMenuTest, WindowCommandsActOnTheWindow)
{
    const auto grayed = [&](int command) {
        emit menu().menu()->aboutToShow();
        return !item(command).isEnabled();
    };
    EXPECT_TRUE(grayed(SC_RESTORE));
    item(SC_MAXIMIZE).trigger();
    EXPECT_EQ(window->formState(), WindowState::Maximized);
    EXPECT_TRUE(grayed(SC_MAXIMIZE) && !grayed(SC_RESTORE));
    item(SC_MINIMIZE).trigger();
    EXPECT_EQ(window->formState(), WindowState::Minimized);
    EXPECT_TRUE(grayed(SC_MINIMIZE));
    WindowState during = WindowState::Normal;
    QTimer::singleShot(0, [&] {
        if (aboutWindow())
            during = window->formState();
        unloadAboutWindow();
    });
    item(About).trigger();
    EXPECT_EQ(during, WindowState::Maximized) << "restored to what it was before";
    item(SC_CLOSE).trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(state.Closing);
    EXPECT_FALSE(menu().routed());
}

} // namespace
} // namespace umbrix
