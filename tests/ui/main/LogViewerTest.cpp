#include "ui/main/LogViewer.h"

#include "settings/SettingsStore.h"
#include "settings/StoreSandbox.h"
#include "ui/main/LogViewerInstance.h"
#include "ui/services/Interaction.h"

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextCursor>
#include <cmath>
#include <gtest/gtest.h>

namespace umbrix {
namespace {

using test::readWholeFile;

class LogViewerTest : public ::testing::Test {
protected:
    // The place as the settings file holds it, in twips.
    std::string storedPlace(QPoint at) const
    {
        const double tpp = viewer.twipsPerPixel();
        return "LogLeft=" + std::to_string(std::lround(at.x() * tpp)) +
               "\nLogTop=" + std::to_string(std::lround(at.y() * tpp)) + "\n";
    }

    test::StoreSandbox box;
    LogViewer viewer;
    QWidget* surface = viewer.txtLog()->viewport();
};

TEST_F(LogViewerTest, PlaceIsStoredInTwipsAfterADragAndSurvivesARestart)
{
    // First load: hidden at the top left, its size given in twips.
    EXPECT_FALSE(viewer.isVisible());
    EXPECT_EQ(viewer.pos(), QPoint(0, 0));
    const double tpp = viewer.twipsPerPixel();
    EXPECT_EQ(viewer.size(), QSize(std::lround(7170 / tpp), std::lround(3000 / tpp)));
    viewer.View();
    EXPECT_EQ(viewer.txtLog()->geometry(), viewer.rect());

    QTest::mouseClick(surface, Qt::LeftButton);
    EXPECT_EQ(viewer.pos(), QPoint(0, 0));
    EXPECT_FALSE(test::exists(box.userIni()));
    // One move past the drag distance carries the viewer along; the
    // offscreen platform has no system move, so the viewer moves itself.
    QTest::mousePress(surface, Qt::LeftButton, {}, QPoint(30, 30));
    QTest::mouseMove(surface, QPoint(150, 75));
    QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(150, 75));
    EXPECT_EQ(viewer.pos(), QPoint(120, 45));
    EXPECT_NE(readWholeFile(box.userIni()).find(storedPlace(QPoint(120, 45))), std::string::npos);
    viewer.move(200, 100);
    viewer.close();
    EXPECT_NE(readWholeFile(box.userIni()).find(storedPlace(QPoint(200, 100))), std::string::npos)
        << readWholeFile(box.userIni());
    EXPECT_EQ(LogViewer().pos(), QPoint(200, 100));

    // A hand-edited place counts by its leading number.
    SaveSetting(QStringLiteral("Umbrix"), SettingName::Section, SettingName::LogLeft,
                QString::number(std::lround(40 * tpp)) + QStringLiteral("xyz"));
    SaveSetting(QStringLiteral("Umbrix"), SettingName::Section, SettingName::LogTop,
                QStringLiteral("abc"));
    EXPECT_EQ(LogViewer().pos(), QPoint(40, 0));
}

TEST_F(LogViewerTest, EachEntryIsFollowedByAnEmptyLineWithTheCaretOnIt)
{
    const auto caretOnTheLastLine = [&] {
        const QTextCursor caret = viewer.txtLog()->textCursor();
        return !caret.hasSelection() && caret.position() == viewer.text().size() - 1;
    };
    viewer.Log(QStringLiteral("first"));
    EXPECT_EQ(viewer.text(), QStringLiteral("first\n\n"));
    EXPECT_TRUE(caretOnTheLastLine());
    viewer.Log(QStringLiteral("Path: \"/a\"\r\nFile: \"b\"\nError: x (5)"));
    EXPECT_EQ(viewer.text(),
              QStringLiteral("first\n\nPath: \"/a\"\nFile: \"b\"\nError: x (5)\n\n"));
    EXPECT_TRUE(caretOnTheLastLine());

    // At the limit the log still grows; one past it, it starts afresh.
    const QString full(LogViewer::kMaxLogLength, QLatin1Char('x'));
    viewer.txtLog()->setPlainText(full);
    viewer.Log(QStringLiteral("kept"));
    EXPECT_EQ(viewer.text(), full + QStringLiteral("kept\n\n"));
    viewer.txtLog()->setPlainText(full + QLatin1Char('x'));
    viewer.Log(QStringLiteral("fresh"));
    EXPECT_EQ(viewer.text(), QStringLiteral("fresh\n\n"));
    EXPECT_TRUE(caretOnTheLastLine());
}

TEST_F(LogViewerTest, ShowsOnlyWhenLoggingIsOnOrAsked)
{
    viewer.Log(QStringLiteral("quiet"));
    EXPECT_FALSE(viewer.isVisible());
    viewer.Log(QStringLiteral("forced"), true);
    EXPECT_TRUE(viewer.isVisible());
    viewer.hide();
    viewer.setLogSwitch([] { return true; });
    viewer.Log(QStringLiteral("logged"));
    EXPECT_TRUE(viewer.isVisible());
    EXPECT_EQ(viewer.text(), QStringLiteral("quiet\n\nforced\n\nlogged\n\n"));
}

TEST_F(LogViewerTest, CtrlClickAloneHides)
{
    viewer.View();
    QTest::mouseClick(surface, Qt::LeftButton, Qt::ShiftModifier);
    QTest::mouseClick(surface, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::mouseClick(surface, Qt::LeftButton, Qt::ControlModifier | Qt::AltModifier);
    QTest::mouseClick(surface, Qt::MiddleButton, Qt::ControlModifier);
    EXPECT_TRUE(viewer.isVisible());
    QTest::mouseClick(surface, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_FALSE(viewer.isVisible());
}

TEST_F(LogViewerTest, RightClickOffersClearOnlyForALog)
{
    QWidget mainWindow;
    mainWindow.show();
    viewer.setMainWindow(&mainWindow);
    viewer.View();
    QMenu* menu = viewer.mnu();
    QStringList items;
    for (const QAction* action : menu->actions())
        items << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(items.join(QLatin1Char(' ')), QStringLiteral("Iconize Clear - Close"));

    QTest::mouseClick(surface, Qt::RightButton);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_FALSE(viewer.mnuClear()->isEnabled());
    menu->hide();
    viewer.Log(QStringLiteral("entry"));
    QTest::mouseClick(surface, Qt::RightButton, Qt::ShiftModifier);
    EXPECT_FALSE(menu->isVisible());
    QTest::mouseClick(surface, Qt::RightButton);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_TRUE(viewer.mnuClear()->isEnabled());
    menu->hide();

    viewer.mnuClear()->trigger();
    EXPECT_TRUE(viewer.isEmpty());
    viewer.mnuIconize()->trigger();
    EXPECT_TRUE(mainWindow.isMinimized());
    EXPECT_TRUE(viewer.isVisible());
    viewer.mnuClose()->trigger();
    EXPECT_FALSE(viewer.isVisible());
}

TEST_F(LogViewerTest, DoubleClickAsksBeforeClearingFromBelowTheViewer)
{
    viewer.View();
    viewer.move(40, 30);
    bool onTopWhileAsking = true;
    int answer = MsgBoxAnswer::No;
    ScopedMsgBoxResponder responder([&](const MsgBoxCall&) {
        onTopWhileAsking = viewer.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        return answer;
    });
    QTest::mouseDClick(surface, Qt::LeftButton);
    EXPECT_TRUE(responder.calls().empty());

    viewer.Log(QStringLiteral("entry"));
    QTest::mouseDClick(surface, Qt::LeftButton);
    ASSERT_EQ(responder.calls().size(), 1u);
    EXPECT_EQ(responder.calls()[0].prompt,
              QStringLiteral("Do you want to clear the contents of current log?"));
    EXPECT_EQ(responder.calls()[0].buttons, 292);
    EXPECT_EQ(responder.calls()[0].title, QStringLiteral("Clear"));
    EXPECT_EQ(viewer.text(), QStringLiteral("entry\n\n"));
    // The question is not hidden by the viewer, which is back on top after.
    EXPECT_FALSE(onTopWhileAsking);
    EXPECT_TRUE(viewer.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(viewer.isVisible());
    EXPECT_EQ(viewer.pos(), QPoint(40, 30));

    answer = MsgBoxAnswer::Yes;
    QTest::mouseDClick(surface, Qt::LeftButton);
    EXPECT_EQ(responder.calls().size(), 2u);
    EXPECT_TRUE(viewer.isEmpty());
}

TEST(LogViewerInstanceTest, OneViewerTakesTheTextAsUtf8)
{
    test::StoreSandbox box;
    LogViewer& viewer = loadLogViewer();
    EXPECT_EQ(&loadLogViewer(), &viewer);
    logToViewer("caf\xC3\xA9", true);
    EXPECT_EQ(viewer.text(), QStringLiteral("caf\u00e9\n\n"));
    unloadLogViewer();
    hideLogViewer();
    EXPECT_EQ(logViewer(), nullptr);
}

} // namespace
} // namespace umbrix
