#include "ui/main/WindowMenu.h"

#include "settings/SettingsStore.h"
#include "ui/main/AboutWindow.h"
#include "ui/main/LogViewer.h"
#include "ui/main/MainWindowFixture.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>

namespace umbrix {
namespace {

using namespace SystemCommand;

QString storedLogError()
{
    return GetSetting(QStringLiteral("Umbrix"), SettingName::Section, SettingName::LogError,
                      QStringLiteral("(none)"));
}

class WindowMenuTest : public test::MainWindowFixture {
protected:
    WindowMenu& menu() { return *window->windowMenu; }
    QAction& item(int command)
    {
        QAction* action = menu().item(command);
        EXPECT_NE(action, nullptr) << command;
        return action ? *action : placeholder_;
    }
    bool viewerShown() { return logViewer() && logViewer()->isVisible(); }
    bool viewerTopMost()
    {
        return logViewer() && logViewer()->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    }
    // Chooses "About..." and runs `check` while the modal window is open,
    // which is then closed whatever `check` found.
    void withAbout(const std::function<void(AboutWindow&)>& check)
    {
        bool opened = false;
        QTimer::singleShot(0, [&] {
            if (AboutWindow* about = aboutWindow()) {
                opened = true;
                check(*about);
            }
            unloadAboutWindow();
        });
        item(About).trigger();
        EXPECT_TRUE(opened);
        EXPECT_EQ(aboutWindow(), nullptr);
    }

private:
    QAction placeholder_;
};

TEST_F(WindowMenuTest, TheMenuHoldsTheWindowCommandsThenTheProgramsTwo)
{
    std::vector<std::string> captions;
    for (const QAction* action : menu().menu()->actions())
        captions.push_back(action->isSeparator() ? "-" : action->text().toStdString());
    EXPECT_EQ(captions,
              (std::vector<std::string>{"&Restore", "Mi&nimize", "Ma&ximize", "&Close\tAlt+F4", "-",
                                        "About...", "Log Errors"}));
    EXPECT_EQ(menu().bar()->actions(), QList<QAction*>{menu().menu()->menuAction()});
    EXPECT_TRUE(item(About).isEnabled());
    EXPECT_FALSE(item(About).isChecked());
    EXPECT_FALSE(item(LogErrors).isChecked()) << "no stored switch: logging is off";
    EXPECT_TRUE(menu().routed());
}

// The bar lies above the client area: the twips layout starts below it and
// nothing is covered, in either view.
TEST_F(WindowMenuTest, TheBarTakesNoRoomFromTheLayout)
{
    const QRect bar = menu().bar()->geometry();
    EXPECT_EQ(bar.topLeft(), QPoint(0, 0));
    EXPECT_EQ(bar.width(), window->width());
    EXPECT_GT(bar.height(), 10);
    EXPECT_EQ(window->txtSearchSpec->y(), bar.height() + window->scale().toPixelsY(210));
    EXPECT_NEAR(window->ScaleHeight(),
                static_cast<float>(window->height() - bar.height()) * window->scale().y, 0.01f);
    expectTidyLayout();
    file("shy", 0x2);
    window->cmdSearch->click();
    EXPECT_EQ(window->view(), FrmSeek::View::Results);
    EXPECT_EQ(menu().bar()->width(), window->width());
    expectTidyLayout();
}

TEST_F(WindowMenuTest, AltSpaceOpensTheMenu)
{
    EXPECT_FALSE(menu().menu()->isVisible());
    QTest::keyClick(window->txtSearchSpec.get(), Qt::Key_Space, Qt::AltModifier);
    EXPECT_TRUE(menu().menu()->isVisible());
    EXPECT_EQ(window->txtSearchSpec->text(), QStringLiteral("*.*")) << "the key is the menu's";
    menu().menu()->hide();
    QTest::keyClick(window->txtSearchSpec.get(), Qt::Key_Space);
    EXPECT_FALSE(menu().menu()->isVisible());
}

// Enabling clears the gray only when both of its bits are set; the check
// mark is set and cleared alone.  The actions follow the state word.
TEST_F(WindowMenuTest, StateRulesForEnablingAndChecking)
{
    struct Rule {
        bool enableRule;
        uint32_t before;
        bool on;
        uint32_t after;
    };
    const Rule rules[] = {
        {true, 0, true, 0},   {true, 1, true, 1},    {true, 2, true, 2},   {true, 3, true, 0},
        {true, 11, true, 8},  {true, 0, false, 3},   {true, 1, false, 3},  {true, 8, false, 11},
        {false, 0, true, 8},  {false, 8, true, 8},   {false, 3, true, 11}, {false, 8, false, 0},
        {false, 0, false, 0}, {false, 11, false, 3},
    };
    for (const Rule& r : rules) {
        SCOPED_TRACE(testing::Message()
                     << (r.enableRule ? "enable " : "check ") << r.before << " -> " << r.on);
        ASSERT_TRUE(menu().setItemState(About, r.before));
        if (r.enableRule)
            EnableSystemMenuItem(window.get(), About, r.on);
        else
            SetSystemMenuCheck(window.get(), About, r.on);
        uint32_t state = 0;
        ASSERT_TRUE(menu().itemState(About, state));
        EXPECT_EQ(state, r.after);
        EXPECT_EQ(item(About).isEnabled(), (r.after & 3) == 0);
        EXPECT_EQ(item(About).isChecked(), (r.after & 8) != 0);
        EXPECT_EQ(GetSystemMenuCheck(window.get(), About), (r.after & 8) != 0);
    }
}

TEST_F(WindowMenuTest, ANullWindowOrAMissingItemChangesNothing)
{
    EnableSystemMenuItem(nullptr, About, false);
    SetSystemMenuCheck(nullptr, LogErrors, true);
    AddSystemMenuItem(nullptr, 2005, QStringLiteral("More"), true);
    EXPECT_FALSE(GetSystemMenuCheck(nullptr, LogErrors));
    SetSystemMenuCheck(window.get(), 2002, true);
    EnableSystemMenuItem(window.get(), 2002, false);
    EXPECT_FALSE(GetSystemMenuCheck(window.get(), 2002));
    uint32_t state = 99;
    EXPECT_FALSE(menu().itemState(2002, state));
    EXPECT_EQ(state, 99u);
    EXPECT_EQ(menu().menu()->actions().size(), 7);
    EXPECT_TRUE(item(About).isEnabled());
}

TEST_F(WindowMenuTest, LogErrorsOnAnEmptyLogChecksAndStoresWithoutAViewer)
{
    ASSERT_NE(logViewer(), nullptr);
    ASSERT_TRUE(logViewer()->isEmpty());
    item(LogErrors).trigger();
    EXPECT_TRUE(state.LogErrors);
    EXPECT_TRUE(item(LogErrors).isChecked());
    EXPECT_TRUE(GetSystemMenuCheck(window.get(), LogErrors));
    EXPECT_EQ(storedLogError(), QStringLiteral("True"));
    EXPECT_FALSE(viewerShown());

    item(LogErrors).trigger();
    EXPECT_FALSE(state.LogErrors);
    EXPECT_FALSE(item(LogErrors).isChecked());
    EXPECT_EQ(storedLogError(), QStringLiteral("False"));
    EXPECT_FALSE(viewerShown());
}

TEST_F(WindowMenuTest, LogErrorsOnAFilledLogShowsTheViewerOnTopAndOffHidesIt)
{
    logViewer()->Log(QStringLiteral("Path: \"/x\""));
    ASSERT_FALSE(viewerShown()) << "logged while logging was off";
    item(LogErrors).trigger();
    EXPECT_TRUE(viewerShown());
    EXPECT_TRUE(viewerTopMost());
    EXPECT_EQ(storedLogError(), QStringLiteral("True"));
    item(LogErrors).trigger();
    EXPECT_FALSE(viewerShown());
    EXPECT_FALSE(state.LogErrors);
}

// The mark decides: a variable changed behind the menu's back is corrected
// by the next choice instead of being flipped blindly.
TEST_F(WindowMenuTest, TheCheckMarkNotTheVariableDecidesTheNewValue)
{
    state.LogErrors = true;
    item(LogErrors).trigger();
    EXPECT_TRUE(state.LogErrors);
    EXPECT_TRUE(item(LogErrors).isChecked());
}

TEST_F(WindowMenuTest, AboutIsGrayedWhileTheWalkRunsAndLogErrorsIsNot)
{
    for (int i = 0; i < 20; ++i)
        file("h" + std::to_string(i), 0x2);
    state.ScanPause = 0.01f;
    bool aboutDuring = true;
    bool logDuring = false;
    const ScopedDoEventsHook during([&] {
        if (state.Searching) {
            aboutDuring = aboutDuring && item(About).isEnabled();
            logDuring = item(LogErrors).isEnabled();
        }
    });
    window->cmdSearch->click();
    EXPECT_FALSE(aboutDuring);
    EXPECT_TRUE(logDuring);
    EXPECT_TRUE(item(About).isEnabled()) << "after the walk";
    window->cmdSearch->click();
    EXPECT_TRUE(item(About).isEnabled());
}

TEST_F(WindowMenuTest, WindowCommandsActOnTheWindowAndGrayWhatDoesNotApply)
{
    const auto grayed = [&](int command) {
        emit menu().menu()->aboutToShow();
        return !item(command).isEnabled();
    };
    EXPECT_TRUE(grayed(SC_RESTORE));
    item(SC_MAXIMIZE).trigger();
    EXPECT_EQ(window->WindowState(), 2);
    EXPECT_TRUE(grayed(SC_MAXIMIZE));
    EXPECT_FALSE(grayed(SC_RESTORE));
    item(SC_RESTORE).trigger();
    EXPECT_EQ(window->WindowState(), 0);
    item(SC_MINIMIZE).trigger();
    EXPECT_EQ(window->WindowState(), 1);
    EXPECT_TRUE(grayed(SC_MINIMIZE));

    // "About..." on the minimized window first brings it back.
    int stateDuring = -1;
    withAbout([&](AboutWindow&) { stateDuring = window->WindowState(); });
    EXPECT_EQ(stateDuring, 0);

    item(SC_CLOSE).trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(state.Closing);
    EXPECT_FALSE(menu().routed()) << "the handler is taken off as the window closes";
}

TEST_F(WindowMenuTest, ANamedSetupAndASecondHookOnAnotherWindow)
{
    AppState otherState;
    FrmSeek other(otherState);
    SetupSystemMenu(&other, QStringLiteral("Umbrix 0.1"));
    WindowMenu* otherMenu = WindowMenu::of(&other);
    ASSERT_NE(otherMenu, nullptr);
    ASSERT_NE(otherMenu->item(About), nullptr);
    EXPECT_EQ(otherMenu->item(About)->text(), QStringLiteral("About Umbrix 0.1"));
    HookSystemMenu(&other);
    otherMenu->item(LogErrors)->trigger();
    EXPECT_TRUE(otherState.LogErrors) << "a second hook must not run the handler twice";
    EXPECT_FALSE(state.LogErrors);
    UnhookSystemMenu(&other);
    UnhookSystemMenu(&other);
    otherMenu->item(LogErrors)->trigger();
    EXPECT_TRUE(otherState.LogErrors) << "unhooked, the window ignores the program's commands";
}

class WindowMenuWithLogging : public WindowMenuTest {
protected:
    void SetUp() override
    {
        SaveSetting(QStringLiteral("Umbrix"), SettingName::Section, SettingName::LogError,
                    QStringLiteral("yes"));
        WindowMenuTest::SetUp();
    }
};

TEST_F(WindowMenuWithLogging, TheStoredSwitchChecksTheItemAtStart)
{
    EXPECT_TRUE(state.LogErrors);
    EXPECT_TRUE(item(LogErrors).isChecked());
    item(LogErrors).trigger();
    EXPECT_FALSE(state.LogErrors);
    EXPECT_EQ(storedLogError(), QStringLiteral("False"));
}

} // namespace
} // namespace umbrix
