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

// --- Window handlers -----------------------------------------------------------

void FrmSeek::Show()
{
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
    show();
    applyPendingSize();
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
    QueryUnload(cancel, unloadingByProgram_ ? UnloadMode::Program : UnloadMode::User);
    if (cancel)
        event->ignore();
    else
        event->accept();
}

void FrmSeek::QueryUnload(bool& cancel, UnloadMode mode)
{
    if (state_.Searching) {
        Beep();
        cancel = true;
        return;
    }
    if (mode != UnloadMode::Program)
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
    browser.forEachPlaced(fn);
    fn(cmdSearch), fn(cmdExit), fn(lblFound), fn(lblCount), fn(fraAttrib), fn(lblDir);
    fn(lblScanned), fn(lblCountx), fn(txtTip);
    for (auto& box : lstFoundFiles)
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
    need(browser.lblCriteria);
    for (Placed<QCheckBox>* box :
         {&browser.chkSubDir, &browser.chkViewAll, &browser.chkFolder, &browser.chkFiles})
        need(*box);
    need(cmdSearch);
    need(cmdExit);
    factor = std::min(std::max(factor, fraAttrib->captionFactor(screenScale_)), 4.0f);

    const TwipsScale wanted{screenScale_.x / factor, screenScale_.y / factor};
    if (wanted.x == scale_.x && wanted.y == scale_.y)
        return;
    const float width = Width();
    const float height = Height();
    scale_ = wanted;
    forEachPlaced([](auto& control) { control.apply(); });
    fraAttrib->applyScale();
    setWidth(width);
    setHeight(height);
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
