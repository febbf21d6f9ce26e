// The drive, directory and file lists of the browser view.

#include "platform/AppTitle.h"
#include "platform/Error.h"
#include "platform/PathChain.h"
#include "ui/controls/DirListBox.h"
#include "ui/controls/DriveListBox.h"
#include "ui/controls/FileListBox.h"
#include "ui/main/EventCodes.h"
#include "ui/main/FrmSeek.h"
#include "ui/services/Interaction.h"
#include "ui/services/QtText.h"

#include <QAction>
#include <cerrno>
#include <exception>
#include <unistd.h>

namespace umbrix {

void FrmSeek::drvList_Change()
{
    if (restoringDrive_)
        return;
    // A volume opens where it was left, as a drive keeps its own current
    // directory; the first time at its root.
    const std::string root = browser.drvList->DriveRoot();
    const auto last = lastDirectoryOf_.find(root);
    try {
        if (last != lastDirectoryOf_.end()) {
            try {
                browser.dirList->setPath(last->second);
                return;
            } catch (const Error&) {
                lastDirectoryOf_.erase(last);
            }
        }
        browser.dirList->setPath(root);
        return;
    } catch (const Error&) {
    } catch (const std::exception&) {
    }
    // A volume that cannot be read: back to the one the directory list shows,
    // without a word and without moving the directory list.
    restoringDrive_ = true;
    try {
        browser.drvList->setDrive(browser.dirList->Path());
    } catch (const Error&) {
    }
    restoringDrive_ = false;
}

void FrmSeek::dirList_Change()
{
    AppState& s = state_;
    try {
        const std::string path = browser.dirList->Path();
        browser.filList->setPath(path);
        if (::chdir(path.c_str()) != 0)
            throwErrno(errno);
        s.CurrentPath = path;
        s.DirChanged = 0;
        // The directory list may walk onto another volume; the drive list
        // follows it without moving it again.
        restoringDrive_ = true;
        try {
            browser.drvList->setDrive(path);
        } catch (const Error&) {
        }
        restoringDrive_ = false;
        lastDirectoryOf_[browser.drvList->DriveRoot()] = path;
    } catch (const Error& e) {
        MsgBox(qs(e.description), MsgBoxStyle::Exclamation, qs(AppTitle), this);
    }
}

void FrmSeek::dirList_Click()
{
    state_.DirChanged = 1;
}

namespace {

// A right press points at what its menu is to act on: the entry under the
// pointer is highlighted first, as a left click would highlight it (a folder
// is not opened); a press beside every entry opens no menu.  True when the
// press is a plain right press on a highlighted entry.
template <class List>
bool menuPress(List& list, const FrmSeek& window, int Button, int Shift, float X, float Y)
{
    if (Button == 2 && !list.highlightAt(window.pixelsOf(X, Y)))
        return false;
    if (list.ListCount() == 0 || list.ListIndex() == -1)
        return false;
    return Button == 2 && Shift == 0;
}

} // namespace

void FrmSeek::dirList_MouseDown(int Button, int Shift, float X, float Y)
{
    DirListBox& list = *browser.dirList.get();
    if (!menuPress(list, *this, Button, Shift, X, Y))
        return;
    // A directory that cannot be read still gets its menu: it can be deleted.
    fraAttrib->ShowEntryAttributes(list.List(list.ListIndex()));
    SourceList = SourceKind::Dirbox;
    bAttribute->showListItems(false, false);
    bAttribute->popUpAtPointer();
}

void FrmSeek::filList_MouseDown(int Button, int Shift, float X, float Y)
{
    FileListBox& list = *browser.filList.get();
    if (!menuPress(list, *this, Button, Shift, X, Y))
        return;
    if (!fraAttrib->ShowEntryAttributes(withTrailingSlash(list.Path()) +
                                        list.List(list.ListIndex())))
        return;
    SourceList = SourceKind::Filebox;
    bAttribute->showListItems(false, true);
    bAttribute->popUpAtPointer();
}

void FrmSeek::connectBrowserHandlers()
{
    connect(browser.drvList.get(), &DriveListBox::Change, this, &FrmSeek::drvList_Change);
    connect(browser.dirList.get(), &DirListBox::Change, this, &FrmSeek::dirList_Change);
    connect(browser.dirList.get(), &DirListBox::Click, this, &FrmSeek::dirList_Click);
    const auto mouseDown = [this](void (FrmSeek::*handler)(int, int, float, float)) {
        return [this, handler](Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                               const QPoint& at) {
            (this->*handler)(buttonCode(button), shiftCode(modifiers),
                             static_cast<float>(at.x()) * scale_.x,
                             static_cast<float>(at.y()) * scale_.y);
        };
    };
    connect(browser.dirList.get(), &DirListBox::MouseDown, this,
            mouseDown(&FrmSeek::dirList_MouseDown));
    connect(browser.filList.get(), &FileListBox::MouseDown, this,
            mouseDown(&FrmSeek::filList_MouseDown));
}

} // namespace umbrix
