#include "ui/main/LogViewer.h"

#include "settings/StoreSandbox.h"
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

class LogViewerTest : public ::testing::Test {
protected:
    // The place as the settings file holds it, in twips.
    bool stored(QPoint at) const
    {
        const double tpp = viewer.twipsPerPixel();
        return test::readWholeFile(box.userIni())
                   .find("LogLeft=" + std::to_string(std::lround(at.x() * tpp)) +
                         "\nLogTop=" + std::to_string(std::lround(at.y() * tpp)) + "\n") !=
               std::string::npos;
    }
    bool caretOnTheLastLine() const
    {
        const QTextCursor caret = viewer.txtLog()->textCursor();
        return !caret.hasSelection() && caret.position() == viewer.text().size() - 1;
    }

    test::StoreSandbox box;
    LogViewer viewer;
    QWidget* surface = viewer.txtLog()->viewport();
};

// First loaded hidden at the top left; dragged by its text, it stores its
// place in twips, and the next one opens there.
TEST_F(LogViewerTest, PlaceIsStoredInTwipsAfterADragAndSurvivesARestart)
{
    EXPECT_FALSE(viewer.isVisible());
    EXPECT_EQ(viewer.pos(), QPoint(0, 0));
    const double tpp = viewer.twipsPerPixel();
    EXPECT_EQ(viewer.size(), QSize(std::lround(7170 / tpp), std::lround(3000 / tpp)));
    viewer.View();
    QTest::mouseClick(surface, Qt::LeftButton);
    EXPECT_EQ(viewer.pos(), QPoint(0, 0));
    EXPECT_FALSE(test::exists(box.userIni()));
    QTest::mousePress(surface, Qt::LeftButton, {}, QPoint(30, 30));
    QTest::mouseMove(surface, QPoint(150, 75));
    QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(150, 75));
    EXPECT_EQ(viewer.pos(), QPoint(120, 45));
    EXPECT_TRUE(stored(QPoint(120, 45)));
    viewer.move(200, 100);
    viewer.close();
    EXPECT_TRUE(stored(QPoint(200, 100)));
    EXPECT_EQ(LogViewer().pos(), QPoint(200, 100));
}

// Each entry is followed by an empty line with the caret on it; at the
// limit the log still grows, one past it, it starts afresh.  It shows only
// while logging is on, or when asked.
TEST_F(LogViewerTest, EntriesAndWhenTheyShow)
{
    viewer.Log(QStringLiteral("first"));
    EXPECT_TRUE(caretOnTheLastLine());
    viewer.Log(QStringLiteral("Path: \"/a\"\r\nFile: \"b\"\nError: x (5)"));
    EXPECT_EQ(viewer.text(), QStringLiteral("first\n\nPath: \"/a\"\nFile: \"b\"\nError: x (5)\n\n"));
    EXPECT_TRUE(caretOnTheLastLine());
    EXPECT_FALSE(viewer.isVisible());
    viewer.Log(QStringLiteral("forced"), true);
    EXPECT_TRUE(viewer.isVisible());
    viewer.hide();
    viewer.setLogSwitch([] { return true; });
    viewer.Log(QStringLiteral("logged"));
    EXPECT_TRUE(viewer.isVisible());

    const QString full(LogViewer::kMaxLogLength, QLatin1Char('x'));
    viewer.txtLog()->setPlainText(full);
    viewer.Log(QStringLiteral("kept"));
    EXPECT_EQ(viewer.text(), full + QStringLiteral("kept\n\n"));
    viewer.txtLog()->setPlainText(full + QLatin1Char('x'));
    viewer.Log(QStringLiteral("fresh"));
    EXPECT_EQ(viewer.text(), QStringLiteral("fresh\n\n"));
    EXPECT_TRUE(caretOnTheLastLine());
}

// A right click opens its menu, whose Clear is there only for a log; a
// double click asks before clearing, from below the viewer, which is back
// on top and in place afterwards; a Ctrl+left click alone hides it.
TEST_F(LogViewerTest, TheMouseClearsIconizesAndHides)
{
    QWidget mainWindow;
    mainWindow.show();
    viewer.setMainWindow(&mainWindow);
    viewer.View();
    viewer.move(40, 30);
    QTest::mouseClick(surface, Qt::RightButton);
    EXPECT_TRUE(viewer.mnu()->isVisible() && !viewer.mnuClear()->isEnabled());
    viewer.mnu()->hide();
    bool onTopWhileAsking = true;
    int answer = MsgBoxAnswer::No;
    ScopedMsgBoxResponder responder([&](const MsgBoxCall&) {
        onTopWhileAsking = viewer.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        return answer;
    });
    QTest::mouseDClick(surface, Qt::LeftButton);
    EXPECT_TRUE(responder.calls().empty()) << "an empty log";
    viewer.Log(QStringLiteral("entry"));
    QTest::mouseClick(surface, Qt::RightButton, Qt::ShiftModifier);
    EXPECT_FALSE(viewer.mnu()->isVisible());
    QTest::mouseClick(surface, Qt::RightButton);
    EXPECT_TRUE(viewer.mnu()->isVisible() && viewer.mnuClear()->isEnabled());
    viewer.mnu()->hide();
    QTest::mouseDClick(surface, Qt::LeftButton);
    ASSERT_EQ(responder.calls().size(), 1u);
    EXPECT_EQ(responder.calls()[0].prompt,
              QStringLiteral("Do you want to clear the contents of current log?"));
    EXPECT_EQ(viewer.text(), QStringLiteral("entry\n\n"));
    EXPECT_FALSE(onTopWhileAsking);
    EXPECT_TRUE(viewer.windowFlags().testFlag(Qt::WindowStaysOnTopHint) && viewer.isVisible());
    EXPECT_EQ(viewer.pos(), QPoint(40, 30));
    answer = MsgBoxAnswer::Yes;
    QTest::mouseDClick(surface, Qt::LeftButton);
    EXPECT_TRUE(viewer.isEmpty());

    viewer.Log(QStringLiteral("entry"));
    viewer.mnuClear()->trigger();
    EXPECT_TRUE(viewer.isEmpty());
    viewer.mnuIconize()->trigger();
    EXPECT_TRUE(mainWindow.isMinimized() && viewer.isVisible());
    for (const auto& [button, keys] :
         {std::pair{Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier},
          std::pair{Qt::MiddleButton, Qt::ControlModifier | Qt::NoModifier}})
        QTest::mouseClick(surface, button, keys);
    EXPECT_TRUE(viewer.isVisible());
    QTest::mouseClick(surface, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_FALSE(viewer.isVisible());
    viewer.View();
    viewer.mnuClose()->trigger();
    EXPECT_FALSE(viewer.isVisible());
}

} // namespace
} // namespace umbrix
