#include "ui/main/FrmSeek.h"

#include "fileops/FileSystemObject.h"
#include "platform/AppTitle.h"
#include "platform/Error.h"
#include "ui/controls/DirListBox.h"
#include "ui/controls/DriveListBox.h"
#include "ui/controls/FileListBox.h"
#include "ui/main/AboutWindow.h"
#include "ui/main/AttributeCheckBox.h"
#include "ui/main/AttributeHost.h"
#include "ui/main/EventCodes.h"
#include "ui/main/LogViewerInstance.h"
#include "ui/main/SearchCommand.h"
#include "ui/main/SearchHost.h"
#include "ui/main/SearchTextBox.h"
#include "ui/main/WindowMenu.h"
#include "ui/services/Interaction.h"
#include "ui/services/QtText.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <exception>
#include <utility>

namespace umbrix {

// --- The window in twips -----------------------------------------------------

float FrmSeek::Width() const
{
    return static_cast<float>(frameGeometry().width()) * scale_.x;
}

// The window menu's bar is left out of the heights the program sets and reads,
// as the system menu it stands for took no room: every height keeps the client
// area it always gave.
float FrmSeek::Height() const
{
    return static_cast<float>(frameGeometry().height() - contentsMargins().top()) * scale_.y;
}

float FrmSeek::ScaleWidth() const
{
    return static_cast<float>(width()) * scale_.x;
}

float FrmSeek::ScaleHeight() const
{
    return static_cast<float>(contentsRect().height()) * scale_.y;
}

void FrmSeek::setWidth(float outer)
{
    if (!isVisible())
        pendingOuterWidth_ = outer;
    const int frame = frameGeometry().width() - width();
    resize(std::max(0, scale_.toPixelsX(outer) - frame), height());
}

void FrmSeek::setHeight(float outer)
{
    if (!isVisible())
        pendingOuterHeight_ = outer;
    const int frame = frameGeometry().height() - height();
    resize(width(), std::max(0, scale_.toPixelsY(outer) - frame) + contentsMargins().top());
}

void FrmSeek::setLeft(float left)
{
    move(scale_.toPixelsX(left), frameGeometry().y());
}

int FrmSeek::WindowState() const
{
    const Qt::WindowStates state = windowState();
    if (state & Qt::WindowMinimized)
        return 1;
    if (state & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return 2;
    return 0;
}

void FrmSeek::setWindowStateValue(int state)
{
    switch (state) {
    case 1:
        setWindowState((windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen)) |
                       Qt::WindowMinimized);
        break;
    case 2:
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
        break;
    default:
        setWindowState(windowState() &
                       ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
        break;
    }
}

void FrmSeek::setCaption(const std::string& caption)
{
    setWindowTitle(qs(caption));
}

float FrmSeek::TextWidth(const QString& text) const
{
    return static_cast<float>(QFontMetricsF(font()).horizontalAdvance(text)) * scale_.x;
}

void FrmSeek::setAutoSizeCaption(Placed<QLabel>& label, const QString& caption)
{
    label->setText(caption);
    const QFontMetricsF metrics(label->font());
    label.setWidth(static_cast<float>(std::ceil(metrics.horizontalAdvance(caption))) * scale_.x);
}

// --- Window handlers -----------------------------------------------------------

void FrmSeek::Show()
{
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
    show();
    // The frame is known only once the window is shown; the outer size asked
    // for before then is given again now that it can be met.
    if (pendingOuterWidth_ >= 0.0f)
        setWidth(std::exchange(pendingOuterWidth_, -1.0f));
    if (pendingOuterHeight_ >= 0.0f)
        setHeight(std::exchange(pendingOuterHeight_, -1.0f));
}

void FrmSeek::Form_Load()
{
    LeaveSearchState(*this);
}

bool FrmSeek::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape && state_.Searching) {
            Beep();
            state_.CancelSearch = true;
            return true;
        }
        if (key->key() == Qt::Key_Space && key->modifiers() == Qt::AltModifier) {
            windowMenu->open();
            return true;
        }
        // Enter presses the focused command button, as Space does.  A held
        // key does not press it again: the second press could be Exit.
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && !key->isAutoRepeat()) {
            auto* button = qobject_cast<QPushButton*>(watched);
            if (button && button->hasFocus() && button->isEnabled()) {
                button->click();
                return true;
            }
        }
    }
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        for (int16_t i = 0; i < static_cast<int16_t>(chkAttr.size()); ++i) {
            if (watched != chkAttr[static_cast<std::size_t>(i)].get())
                continue;
            if (event->type() == QEvent::FocusIn)
                chkAttr_GotFocus(i);
            else
                chkAttr_LostFocus(i);
        }
    }
    if (watched == fraAttrib.get() && event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPointF at = mouse->position();
        fraAttrib_MouseDown(buttonCode(mouse->button()), shiftCode(mouse->modifiers()),
                            static_cast<float>(at.x()) * scale_.x,
                            static_cast<float>(at.y()) * scale_.y);
    }
    return QWidget::eventFilter(watched, event);
}

void FrmSeek::cmdExit_Click()
{
    // The button is Cancel while a search runs.
    if (view_ == View::Searching)
        state_.Searching = false;
    else
        ExitApplication(*this);
}

void FrmSeek::cmdSearch_Click()
{
    runSearchCommand(*this);
}

void FrmSeek::Unload()
{
    unloadingByProgram_ = true;
    close();
    unloadingByProgram_ = false;
}

void FrmSeek::closeEvent(QCloseEvent* event)
{
    bool cancel = false;
    QueryUnload(cancel, unloadingByProgram_ ? 1 : 0);
    if (cancel)
        event->ignore();
    else
        event->accept();
}

void FrmSeek::QueryUnload(bool& cancel, int unloadMode)
{
    if (state_.Searching) {
        Beep();
        cancel = true;
        return;
    }
    if (unloadMode != 1)
        state_.Closing = true;
    if (state_.Closing) {
        unloadLogViewer();
        unloadAboutWindow();
        FileSystem.reset();
        UnhookSystemMenu(this);
    }
}

void FrmSeek::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void FrmSeek::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    switch (event->type()) {
    case QEvent::WindowStateChange:
        Form_Resize();
        break;
    case QEvent::ContentsRectChange:
        // The window menu's bar changed its height: the client area moved.
        forEachPlaced([](auto& control) {
            if (control)
                control.apply();
        });
        break;
    case QEvent::FontChange:
    case QEvent::StyleChange:
        // The children take the new font or style sheet as they are polished,
        // after this event: measure them once that is done.
        QTimer::singleShot(0, this, &FrmSeek::fitCaptions);
        break;
    default:
        break;
    }
}

template <class Fn> void FrmSeek::forEachPlaced(Fn&& fn)
{
    fn(lblCriteria), fn(txtSearchSpec), fn(filList), fn(drvList), fn(dirList), fn(fraOptions);
    fn(chkSubDir), fn(chkViewAll), fn(chkFolder), fn(chkFiles), fn(cmdSearch), fn(cmdExit);
    fn(lblFound), fn(lblCount), fn(fraAttrib), fn(Label1), fn(lblReadOnly), fn(lblHidden);
    fn(lblSystem), fn(lblArchive), fn(Label6), fn(picdir), fn(lblDir), fn(lblScanned);
    fn(lblCountx), fn(txtTip);
    for (auto& box : lstFoundFiles)
        fn(box);
    for (auto& box : chkAttr)
        fn(box);
}

void FrmSeek::fitCaptions()
{
    // How much wider than its twips the widest caption needs to be, at the
    // screen's own scale.  Text that needs more room than the layout was
    // measured for (a larger font, a style with larger check boxes) makes
    // the whole window larger in proportion: every control keeps its twips
    // and its place among the others, and none can come to cover another.
    float factor = 1.0f;
    const auto need = [&](auto& control) {
        const float twips = control.Width();
        if (twips > 0)
            factor = std::max(factor, static_cast<float>(control->sizeHint().width()) *
                                          screenScale_.x / twips);
    };
    need(lblCriteria);
    for (Placed<QCheckBox>* box : {&chkSubDir, &chkViewAll, &chkFolder, &chkFiles})
        need(*box);
    need(cmdSearch);
    need(cmdExit);
    need(Label1);
    for (Placed<ClickLabel>* label : {&lblReadOnly, &lblHidden, &lblSystem, &lblArchive})
        need(*label);
    need(Label6);
    factor = std::min(factor, 4.0f);

    const TwipsScale wanted{screenScale_.x / factor, screenScale_.y / factor};
    if (wanted.x == scale_.x && wanted.y == scale_.y)
        return;
    const float width = Width();
    const float height = Height();
    scale_ = wanted;
    forEachPlaced([](auto& control) { control.apply(); });
    setWidth(width);
    setHeight(height);
}

void FrmSeek::fraAttrib_MouseDown(int button, int shift, float x, float y)
{
    if (button == 1 && shift == 0 && x >= 5175 && x <= 5340 && y >= 435 && y <= 600)
        Beep();
}

void FrmSeek::mnuDir_Click()
{
    Beep();
}

bool FrmSeek::SetObject(const std::function<std::unique_ptr<FileSystemObject>()>& create)
{
    std::string description;
    try {
        FileSystem = create ? create() : std::make_unique<FileSystemObject>();
        if (FileSystem)
            return true;
        description = "Object not created";
    } catch (const Error& e) {
        description = e.description;
    } catch (const std::exception& e) {
        description = e.what();
    }
    MsgBox(QStringLiteral("SCRRUN.DLL\r\r") + qs(description), MsgBoxStyle::Critical, qs(AppTitle));
    return false;
}

void ExitApplication(FrmSeek& window)
{
    window.state().Closing = true;
    window.cmdExit->setEnabled(false);
    unloadLogViewer();
    window.Unload();
}

} // namespace umbrix
