#include "log/LogViewer.h"

#include "app/Interaction.h"
#include "log/LogViewerInstance.h"
#include "settings/SettingsStore.h"
#include "settings/StoreSandbox.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTimer>
#include <cmath>
#include <gtest/gtest.h>

namespace umbrix {
namespace {

using test::readWholeFile;
using test::StoreSandbox;

const QString kApp = QStringLiteral("Umbrix");

void sendMouse(QWidget* target, QEvent::Type type, QPoint local, QPoint global,
               Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QMouseEvent event(type, QPointF(local), QPointF(global), button, buttons, modifiers);
    QApplication::sendEvent(target, &event);
}

void sendMouse(QWidget* target, QEvent::Type type, QPoint local, Qt::MouseButton button,
               Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    sendMouse(target, type, local, target->mapToGlobal(local), button, buttons, modifiers);
}

void click(QWidget* target, Qt::MouseButton button,
           Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const QPoint at(20, 20);
    sendMouse(target, QEvent::MouseButtonPress, at, button, button, modifiers);
    sendMouse(target, QEvent::MouseButtonRelease, at, button, Qt::NoButton, modifiers);
}

// The viewer is moved by the mouse as a person would: press, move, release.
// The offscreen platform has no system move, so the viewer moves itself.
void drag(QWidget* target, QPoint by) {
    // The screen positions are the mouse's; the widget moves under it.
    const QPoint from(30, 30);
    const QPoint screenFrom = target->mapToGlobal(from);
    sendMouse(target, QEvent::MouseButtonPress, from, screenFrom, Qt::LeftButton, Qt::LeftButton);
    sendMouse(target, QEvent::MouseMove, from + by / 2, screenFrom + by / 2, Qt::NoButton,
              Qt::LeftButton);
    sendMouse(target, QEvent::MouseMove, from, screenFrom + by, Qt::NoButton, Qt::LeftButton);
    sendMouse(target, QEvent::MouseButtonRelease, from, screenFrom + by, Qt::LeftButton,
              Qt::NoButton);
}

void doubleClick(QWidget* target) {
    const QPoint at(20, 20);
    click(target, Qt::LeftButton);
    sendMouse(target, QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
    sendMouse(target, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}

long twips(int pixels, double twipsPerPixel) {
    return std::lround(pixels * twipsPerPixel);
}

class LogViewerTest : public ::testing::Test {
protected:
    StoreSandbox box;
};

TEST_F(LogViewerTest, FirstLoadIsHiddenAtTheTopLeftInItsDesignedLook) {
    LogViewer viewer;
    EXPECT_FALSE(viewer.isVisible());
    EXPECT_EQ(viewer.pos(), QPoint(0, 0));
    const double tpp = viewer.twipsPerPixel();
    ASSERT_GT(tpp, 0.0);
    EXPECT_EQ(viewer.size(), QSize(std::lround(7170 / tpp), std::lround(3000 / tpp)));
    EXPECT_TRUE(viewer.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(viewer.palette().color(QPalette::Window), QColor(255, 255, 192));
    EXPECT_EQ(viewer.txtLog()->palette().color(QPalette::Base), QColor(255, 255, 192));

    viewer.View();
    EXPECT_TRUE(viewer.isVisible());
    EXPECT_TRUE(viewer.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(viewer.txtLog()->geometry(), viewer.rect());
}

TEST_F(LogViewerTest, LoadsAtTheLeadingNumbersOfTheStoredPlace) {
    const double tpp = LogViewer().twipsPerPixel();
    SaveSetting(kApp, SettingName::Section, SettingName::LogLeft,
                QString::number(std::lround(40 * tpp)) + QStringLiteral("xyz"));
    SaveSetting(kApp, SettingName::Section, SettingName::LogTop, QStringLiteral("abc"));
    LogViewer viewer;
    EXPECT_EQ(viewer.pos(), QPoint(40, 0));
}

TEST_F(LogViewerTest, PlaceSurvivesARestartAndIsStoredInTwipsAfterTheDrag) {
    QPoint placed;
    double tpp = 0;
    {
        LogViewer viewer;
        viewer.View();
        tpp = viewer.twipsPerPixel();
        drag(viewer.txtLog()->viewport(), QPoint(120, 45));
        placed = viewer.pos();
        EXPECT_EQ(placed, QPoint(120, 45));
        // Stored at once, not only when the viewer goes.
        const std::string ini = readWholeFile(box.userIni());
        EXPECT_NE(ini.find("LogLeft=" + std::to_string(twips(placed.x(), tpp))), std::string::npos)
            << ini;
        EXPECT_NE(ini.find("LogTop=" + std::to_string(twips(placed.y(), tpp))), std::string::npos)
            << ini;
        viewer.move(200, 100);
    }
    const std::string ini = readWholeFile(box.userIni());
    EXPECT_NE(ini.find("LogLeft=" + std::to_string(twips(200, tpp))), std::string::npos) << ini;
    LogViewer again;
    EXPECT_EQ(again.pos(), QPoint(200, 100));
}

TEST_F(LogViewerTest, AClickIsNoDragAndStoresNothing) {
    LogViewer viewer;
    viewer.View();
    click(viewer.txtLog()->viewport(), Qt::LeftButton);
    EXPECT_EQ(viewer.pos(), QPoint(0, 0));
    EXPECT_TRUE(viewer.isVisible());
    EXPECT_FALSE(test::exists(box.userIni()));
}

TEST_F(LogViewerTest, EntriesAreFollowedByAnEmptyLineWithTheCaretOnIt) {
    LogViewer viewer;
    viewer.Log(QStringLiteral("first"));
    EXPECT_EQ(viewer.text(), QStringLiteral("first\n\n"));
    EXPECT_EQ(viewer.txtLog()->textCursor().position(), 6);

    viewer.Log(QStringLiteral("Path: \"/a\"\r\nFile: \"b\"\r\nError: x (5)"));
    EXPECT_EQ(viewer.text(),
              QStringLiteral("first\n\nPath: \"/a\"\nFile: \"b\"\nError: x (5)\n\n"));
    // Length before (7) + entry (33, one character per line break) + 1.
    EXPECT_EQ(viewer.txtLog()->textCursor().position(), 7 + 33 + 1);
    EXPECT_FALSE(viewer.txtLog()->textCursor().hasSelection());
}

TEST_F(LogViewerTest, ALogPastItsLimitIsEmptiedBeforeTheNextEntry) {
    LogViewer viewer;
    viewer.txtLog()->setPlainText(QString(LogViewer::kMaxLogLength, QLatin1Char('x')));
    viewer.Log(QStringLiteral("kept"));
    EXPECT_EQ(viewer.text().size(), LogViewer::kMaxLogLength + 6);
    EXPECT_TRUE(viewer.text().endsWith(QStringLiteral("xkept\n\n")));

    viewer.txtLog()->setPlainText(QString(LogViewer::kMaxLogLength + 1, QLatin1Char('x')));
    viewer.Log(QStringLiteral("fresh"));
    EXPECT_EQ(viewer.text(), QStringLiteral("fresh\n\n"));
    EXPECT_EQ(viewer.txtLog()->textCursor().position(), 6);

    // Growing entry by entry ends the same way, without a failure.
    for (int i = 0; i < 400; ++i)
        viewer.Log(QString(100, QLatin1Char('y')));
    EXPECT_LE(viewer.text().size(), LogViewer::kMaxLogLength + 102 + 102);
}

TEST_F(LogViewerTest, ShowsOnlyWhenLoggingIsOnOrAsked) {
    LogViewer viewer;
    app().LogErrors = false;
    viewer.Log(QStringLiteral("quiet"));
    EXPECT_FALSE(viewer.isVisible());

    viewer.Log(QStringLiteral("forced"), true);
    EXPECT_TRUE(viewer.isVisible());
    EXPECT_TRUE(viewer.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(viewer.text(), QStringLiteral("quiet\n\nforced\n\n"));

    viewer.hide();
    app().LogErrors = true;
    viewer.Log(QStringLiteral("logged"));
    EXPECT_TRUE(viewer.isVisible());
}

TEST_F(LogViewerTest, CtrlClickAloneHides) {
    LogViewer viewer;
    viewer.View();
    click(viewer.txtLog()->viewport(), Qt::LeftButton, Qt::ShiftModifier);
    click(viewer.txtLog()->viewport(), Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier);
    click(viewer.txtLog()->viewport(), Qt::LeftButton, Qt::ControlModifier | Qt::AltModifier);
    click(viewer.txtLog()->viewport(), Qt::MiddleButton, Qt::ControlModifier);
    EXPECT_TRUE(viewer.isVisible());
    click(viewer.txtLog()->viewport(), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_FALSE(viewer.isVisible());

    viewer.View();
    click(&viewer, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_FALSE(viewer.isVisible());
}

TEST_F(LogViewerTest, RightClickMenuOffersClearOnlyForALog) {
    QWidget mainWindow;
    mainWindow.show();
    LogViewer viewer(&mainWindow);
    viewer.View();
    QMenu* menu = viewer.mnu();
    ASSERT_EQ(menu->actions().size(), 4);
    EXPECT_EQ(menu->actions()[0]->text(), QStringLiteral("Iconize"));
    EXPECT_EQ(menu->actions()[1]->text(), QStringLiteral("Clear"));
    EXPECT_TRUE(menu->actions()[2]->isSeparator());
    EXPECT_EQ(menu->actions()[3]->text(), QStringLiteral("Close"));
    EXPECT_EQ(menu->defaultAction(), viewer.mnuClear());

    click(viewer.txtLog()->viewport(), Qt::RightButton);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_FALSE(viewer.mnuClear()->isEnabled());
    menu->hide();

    viewer.Log(QStringLiteral("entry"));
    click(viewer.txtLog()->viewport(), Qt::RightButton, Qt::ShiftModifier);
    EXPECT_FALSE(menu->isVisible());
    click(viewer.txtLog()->viewport(), Qt::RightButton);
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

TEST_F(LogViewerTest, TheTextBoxNeverShowsItsEditMenu) {
    LogViewer viewer;
    viewer.View();
    viewer.Log(QStringLiteral("entry"));
    bool popupSeen = false;
    // Should a menu open, it runs its own loop; close it from there.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            popupSeen = true;
            popup->close();
        }
    });
    closer.start(10);
    for (QWidget* target : {static_cast<QWidget*>(viewer.txtLog()), viewer.txtLog()->viewport()}) {
        QContextMenuEvent byMouse(QContextMenuEvent::Mouse, QPoint(10, 10),
                                  target->mapToGlobal(QPoint(10, 10)));
        QApplication::sendEvent(target, &byMouse);
        QContextMenuEvent byKey(QContextMenuEvent::Keyboard, QPoint(10, 10),
                                target->mapToGlobal(QPoint(10, 10)));
        QApplication::sendEvent(target, &byKey);
    }
    QApplication::processEvents();
    EXPECT_FALSE(popupSeen);
    EXPECT_FALSE(viewer.mnu()->isVisible());
}

TEST_F(LogViewerTest, DoubleClickAsksBeforeClearing) {
    LogViewer viewer;
    viewer.View();
    bool onTopWhileAsking = true;
    int answer = MsgBoxAnswer::No;
    ScopedMsgBoxResponder responder([&](const MsgBoxCall&) {
        onTopWhileAsking = viewer.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        return answer;
    });

    doubleClick(viewer.txtLog()->viewport());
    EXPECT_TRUE(responder.calls().empty());

    viewer.Log(QStringLiteral("entry"));
    doubleClick(viewer.txtLog()->viewport());
    ASSERT_EQ(responder.calls().size(), 1u);
    EXPECT_EQ(responder.calls()[0].prompt,
              QStringLiteral("Do you want to clear the contents of current log?"));
    EXPECT_EQ(responder.calls()[0].buttons, 292);
    EXPECT_EQ(responder.calls()[0].title, QStringLiteral("Clear"));
    EXPECT_FALSE(onTopWhileAsking);
    EXPECT_TRUE(viewer.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(viewer.isVisible());
    EXPECT_EQ(viewer.text(), QStringLiteral("entry\n\n"));

    answer = MsgBoxAnswer::Yes;
    doubleClick(viewer.txtLog()->viewport());
    EXPECT_EQ(responder.calls().size(), 2u);
    EXPECT_TRUE(viewer.isEmpty());
}

TEST_F(LogViewerTest, OneViewerForTheProgram) {
    QWidget mainWindow;
    LogViewer& viewer = loadLogViewer(&mainWindow);
    EXPECT_EQ(&loadLogViewer(), &viewer);
    EXPECT_EQ(logViewer(), &viewer);
    EXPECT_FALSE(viewer.isVisible());

    logToViewer("caf\xC3\xA9 \"/x\"", false);
    EXPECT_FALSE(viewer.isVisible());
    logToViewer("Too many entries found to display in listbox.", true);
    EXPECT_TRUE(viewer.isVisible());
    EXPECT_EQ(
        viewer.text(),
        QStringLiteral("caf\u00e9 \"/x\"\n\nToo many entries found to display in listbox.\n\n"));
    hideLogViewer();
    EXPECT_FALSE(viewer.isVisible());

    viewer.move(30, 60);
    unloadLogViewer();
    EXPECT_EQ(logViewer(), nullptr);
    EXPECT_NE(readWholeFile(box.userIni()).find("LogLeft="), std::string::npos);
    hideLogViewer();
    LogViewer& reloaded = loadLogViewer();
    EXPECT_EQ(reloaded.pos(), QPoint(30, 60));
    unloadLogViewer();
}

} // namespace
} // namespace umbrix
