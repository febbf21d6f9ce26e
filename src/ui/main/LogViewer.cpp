#include "ui/main/LogViewer.h"

#include "platform/AppTitle.h"
#include "platform/NumberPrefix.h"
#include "settings/SettingsStore.h"
#include "ui/services/Interaction.h"
#include "ui/services/QtText.h"
#include "ui/services/TopMostMsgBox.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextCursor>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <cmath>

namespace umbrix {
namespace {

constexpr int kClientWidthTwips = 7170;
constexpr int kClientHeightTwips = 3000;
const QColor kLightYellow(255, 255, 192);

// A stored place may be anything; a number past any screen is kept (it is the
// user's), one past what a window position can hold is not.
int pixelsOf(double twips, double twipsPerPixel)
{
    if (!std::isfinite(twips))
        return 0;
    const double pixels = std::clamp(twips / twipsPerPixel, -1.0e7, 1.0e7);
    return static_cast<int>(std::lround(pixels));
}

QString settingsApp()
{
    return qs(AppTitle);
}

} // namespace

LogViewer::LogViewer(QWidget* mainWindow)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), mainWindow_(mainWindow)
{
    // The main window alone decides when the program ends, and a log that
    // pops up during a search must not take the keys (Esc) away from it.
    setAttribute(Qt::WA_QuitOnClose, false);
    setAttribute(Qt::WA_ShowWithoutActivating, true);

    QPalette yellow = palette();
    yellow.setColor(QPalette::Window, kLightYellow);
    yellow.setColor(QPalette::Base, kLightYellow);
    setPalette(yellow);
    setAutoFillBackground(true);

    txtLog_ = new QPlainTextEdit(this);
    txtLog_->setObjectName(QStringLiteral("txtLog"));
    txtLog_->setReadOnly(true);
    // The log only grows and is cleared; an undo history would double it.
    txtLog_->setUndoRedoEnabled(false);
    txtLog_->setContextMenuPolicy(Qt::NoContextMenu);
    txtLog_->viewport()->setContextMenuPolicy(Qt::NoContextMenu);
    txtLog_->installEventFilter(this);
    txtLog_->viewport()->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(txtLog_);

    mnu_ = new QMenu(QStringLiteral("mnu"), this);
    mnuIconize_ = mnu_->addAction(QStringLiteral("Iconize"));
    mnuClear_ = mnu_->addAction(QStringLiteral("Clear"));
    mnu_->addSeparator();
    mnuClose_ = mnu_->addAction(QStringLiteral("Close"));
    mnu_->setDefaultAction(mnuClear_);
    connect(mnuIconize_, &QAction::triggered, this, [this] {
        if (mainWindow_)
            mainWindow_->showMinimized();
    });
    connect(mnuClear_, &QAction::triggered, this, &LogViewer::Clear);
    connect(mnuClose_, &QAction::triggered, this, &QWidget::hide);

    // A move by the window system reports no release to us; the place is
    // stored once the moves have stopped coming.
    systemMoveSettled_.setSingleShot(true);
    systemMoveSettled_.setInterval(300);
    connect(&systemMoveSettled_, &QTimer::timeout, this, [this] {
        drag_ = Drag::None;
        storePlace();
    });

    const double tpp = twipsPerPixel();
    resize(pixelsOf(kClientWidthTwips, tpp), pixelsOf(kClientHeightTwips, tpp));
    loadPosition();
}

LogViewer::~LogViewer()
{
    storePlace();
}

double LogViewer::twipsPerPixel() const
{
    const QScreen* s = screen();
    const double dpi = s ? s->logicalDotsPerInch() : 96.0;
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

void LogViewer::setMainWindow(QWidget* mainWindow)
{
    mainWindow_ = mainWindow;
}

void LogViewer::Log(const QString& LogText, bool ForceView)
{
    if (txtLog_->document()->characterCount() - 1 > kMaxLogLength)
        txtLog_->clear();
    QTextDocument* document = txtLog_->document();

    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(LogText + QStringLiteral("\r\n\r\n"));
    // The caret goes to the start of the empty line right after the entry,
    // which also brings the entry into view.
    cursor.setPosition(document->characterCount() - 2);
    txtLog_->setTextCursor(cursor);
    txtLog_->ensureCursorVisible();

    if ((logSwitch_ && logSwitch_()) || ForceView)
        View();
    // A failure met twice in a row (a folder read for its files and again
    // for its subfolders) is one entry that could not be read.
    if (!isVisible() && LogText != lastUnseen_) {
        ++unseen_;
        lastUnseen_ = LogText;
    }
}

void LogViewer::View()
{
    SetTopMost(this);
    show();
    raise();
}

void LogViewer::Clear()
{
    txtLog_->clear();
}

bool LogViewer::isEmpty() const
{
    return txtLog_->document()->isEmpty();
}

QString LogViewer::text() const
{
    return txtLog_->toPlainText();
}

void LogViewer::loadPosition()
{
    const double tpp = twipsPerPixel();
    const QString left =
        GetSetting(settingsApp(), SettingName::Section, SettingName::LogLeft, QStringLiteral("0"));
    const QString top =
        GetSetting(settingsApp(), SettingName::Section, SettingName::LogTop, QStringLiteral("0"));
    move(pixelsOf(readNumberPrefix(left.toStdString()), tpp),
         pixelsOf(readNumberPrefix(top.toStdString()), tpp));
}

void LogViewer::storePlace()
{
    const double tpp = twipsPerPixel();
    const QPoint at = pos();
    SaveSetting(settingsApp(), SettingName::Section, SettingName::LogLeft,
                QString::number(std::lround(at.x() * tpp)));
    SaveSetting(settingsApp(), SettingName::Section, SettingName::LogTop,
                QString::number(std::lround(at.y() * tpp)));
}

bool LogViewer::ViewerMouseDown(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return event->button() == Qt::RightButton;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::NoModifier) {
        // The move starts only once the mouse really moves, so that a click
        // or a double click stays one.
        drag_ = Drag::Pressed;
        pressAt_ = event->globalPosition().toPoint();
        grabOffset_ = pressAt_ - pos();
    } else if (modifiers == Qt::ControlModifier) {
        hide();
    }
    return true;
}

bool LogViewer::viewerMouseMove(QMouseEvent* event)
{
    if (drag_ == Drag::None || drag_ == Drag::System)
        return false;
    if (!(event->buttons() & Qt::LeftButton)) {
        drag_ = Drag::None;
        return false;
    }
    const QPoint at = event->globalPosition().toPoint();
    if (drag_ == Drag::Pressed) {
        if ((at - pressAt_).manhattanLength() < QApplication::startDragDistance())
            return true;
        QWindow* window = windowHandle();
        if (window && window->startSystemMove()) {
            drag_ = Drag::System;
            return true;
        }
        drag_ = Drag::Manual;
    }
    move(at - grabOffset_);
    return true;
}

bool LogViewer::viewerMouseUp(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        // A window manager's move reports the release as it begins, before
        // the window has gone anywhere: its place is stored once the moves
        // have stopped coming.
        if (drag_ == Drag::System)
            return true;
        const bool moved = drag_ == Drag::Manual;
        drag_ = Drag::None;
        if (moved)
            storePlace();
        return true;
    }
    if (event->button() == Qt::RightButton) {
        if ((event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            mnuClear_->setEnabled(!isEmpty());
            mnu_->popup(event->globalPosition().toPoint());
        }
        return true;
    }
    return false;
}

void LogViewer::txtLog_DblClick()
{
    if (isEmpty())
        return;
    const int answer =
        TopMostMsgBox(this, QStringLiteral("Do you want to clear the contents of current log?"),
                      MsgBoxStyle::YesNo + MsgBoxStyle::Question + MsgBoxStyle::DefaultButton2,
                      QStringLiteral("Clear"));
    if (answer == MsgBoxAnswer::Yes)
        Clear();
}

bool LogViewer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != txtLog_ && watched != txtLog_->viewport())
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::ContextMenu:
        // The text box's own cut/copy/paste menu never shows.
        return true;
    case QEvent::MouseButtonPress:
        return ViewerMouseDown(static_cast<QMouseEvent*>(event));
    case QEvent::MouseMove:
        return viewerMouseMove(static_cast<QMouseEvent*>(event));
    case QEvent::MouseButtonRelease:
        return viewerMouseUp(static_cast<QMouseEvent*>(event));
    case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return mouse->button() == Qt::RightButton;
        txtLog_DblClick();
        return true;
    }
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void LogViewer::mousePressEvent(QMouseEvent* event)
{
    if (!ViewerMouseDown(event))
        QWidget::mousePressEvent(event);
}

void LogViewer::mouseMoveEvent(QMouseEvent* event)
{
    if (!viewerMouseMove(event))
        QWidget::mouseMoveEvent(event);
}

void LogViewer::mouseReleaseEvent(QMouseEvent* event)
{
    if (!viewerMouseUp(event))
        QWidget::mouseReleaseEvent(event);
}

void LogViewer::moveEvent(QMoveEvent* event)
{
    if (drag_ == Drag::System)
        systemMoveSettled_.start();
    QWidget::moveEvent(event);
}

void LogViewer::closeEvent(QCloseEvent* event)
{
    // Closed by the window system: the viewer only leaves the screen, it
    // lives until the program ends.
    storePlace();
    event->accept();
}

} // namespace umbrix
