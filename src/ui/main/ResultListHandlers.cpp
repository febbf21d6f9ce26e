// The result list's mouse, keyboard and focus handlers and the menu items
// that only the result list offers.

#include "platform/AttributeStore.h"
#include "platform/Error.h"
#include "platform/FileHelpers.h"
#include "platform/PathText.h"
#include "ui/controls/ResultListBox.h"
#include "ui/main/EventCodes.h"
#include "ui/main/FrmSeek.h"
#include "ui/main/ListBoxOperations.h"
#include "ui/main/LogViewerInstance.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <algorithm>
#include <exception>
#include <string>
#include <utility>

namespace umbrix {

namespace {

// The row's text for the log: the folder and the name, each quoted, and the
// failure with its number.
std::string clickFailureText(const std::string& entry, const Error& e)
{
    return "Path: \"" + displayText(FolderOfPath(entry)) + "\"\r\nFile: \"" +
           displayText(FileNameOfPath(entry)) + "\"\r\nError: " + e.description + " (" +
           std::to_string(e.number) + ")";
}

} // namespace

void FrmSeek::connectResultBox(ResultListBox& box, int16_t index)
{
    const auto twips = [&box](const QPoint& at) { return mouseTwips(box, at); };
    connect(&box, &ResultListBox::Click, this, [this, index] { lstFoundFiles_Click(index); });
    connect(&box, &ResultListBox::GotFocus, this, [this, index] { lstFoundFiles_GotFocus(index); });
    connect(&box, &ResultListBox::MouseDown, this,
            [this, index, twips](Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                                 const QPoint& at) {
                const QPointF t = twips(at);
                lstFoundFiles_MouseDown(index, buttonCode(button), shiftCode(modifiers),
                                        static_cast<float>(t.x()), static_cast<float>(t.y()));
            });
    connect(&box, &ResultListBox::MouseUp, this,
            [this, index, twips](Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                                 const QPoint& at) {
                const QPointF t = twips(at);
                lstFoundFiles_MouseUp(index, buttonCode(button), shiftCode(modifiers),
                                      static_cast<float>(t.x()), static_cast<float>(t.y()));
            });
    connect(&box, &ResultListBox::KeyDown, this,
            [this, index](int& key, Qt::KeyboardModifiers modifiers) {
                int code = keyCodeOf(key);
                lstFoundFiles_KeyDown(index, code, shiftCode(modifiers));
                if (code == 0)
                    key = 0;
            });
}

void FrmSeek::popUpAttributeMenu()
{
    const QPoint mouse = QCursor::pos();
    bAttribute->popup(QPoint(mouse.x() - bAttribute->sizeHint().width(), mouse.y()));
}

void FrmSeek::showListMenuItems(bool selectItems, bool copyItems)
{
    mnuSelectAll->setVisible(selectItems);
    mnuUnselectAll->setVisible(selectItems);
    s3->setVisible(copyItems);
    mnuCopy->setVisible(copyItems);
}

void FrmSeek::lstFoundFiles_Click(int16_t Index)
{
    const PressShown shown = std::exchange(pressShown_, {});
    ResultListBox& box = resultBox(Index);
    const int32_t row = box.ListIndex();
    if (box.ListCount() == 0 || row < 0 || !box.isVisible() || state_.Busy || state_.Searching)
        return;
    std::string entry;
    try {
        entry = box.ListPath(row);
        if (box.SelCount() > 1) {
            if (shown != PressShown{Index, kSummaryShown})
                ShowSelectionAttributes(Index);
        } else if (box.Selected(row) && shown != PressShown{Index, row}) {
            ShowEntryAttributes(entry);
        }
        setCurrentIndex(Index);
        txtTip->setText(box.List(row));
        // The panel may have been filled from an earlier read; this one
        // notices an entry that has gone since, for the log.
        uint32_t word = 0;
        if (const int err = platform::queryAttributes(entry, word))
            throwErrno(err);
    } catch (const Error& e) {
        logToViewer(clickFailureText(entry, e), false);
    } catch (const std::exception& e) {
        logToViewer(clickFailureText(entry, Error{0, e.what()}), false);
    }
}

void FrmSeek::lstFoundFiles_GotFocus(int16_t Index)
{
    setCurrentIndex(Index);
}

void FrmSeek::lstFoundFiles_MouseDown(int16_t Index, int Button, int Shift, float, float Y)
{
    pressShown_ = {};
    ResultListBox& box = resultBox(Index);
    if (box.ListCount() == 0 || state_.Searching)
        return;
    setCurrentIndex(Index);
    if (Button != 1 && Button != 2)
        return;
    if (Shift == 0) {
        if (box.SelCount() < 2)
            ListSetSelected(box, -1, false);
        const int32_t r = ListItemFromY(box, Y, box.TopIndex());
        if (r + 1 <= box.ListCount()) {
            {
                const BusyScope busy(state_);
                box.setListIndex(r);
                ListSetSelected(box, r, true);
                ShowEntryAttributes(box.ListPath(r));
            }
            pressShown_ = {Index, r};
        }
    } else if (Shift == 2) {
        ShowSelectionAttributes(Index);
        pressShown_ = {Index, kSummaryShown};
    }
}

void FrmSeek::lstFoundFiles_MouseUp(int16_t Index, int Button, int Shift, float, float Y)
{
    const PressShown shown = std::exchange(pressShown_, {});
    ResultListBox& box = resultBox(Index);
    if (box.ListCount() == 0 || state_.Searching || Shift != 0 || Button != 2)
        return;
    const int32_t r = ListItemFromY(box, Y, box.TopIndex());
    if (r + 1 > box.ListCount())
        return;
    {
        const BusyScope busy(state_);
        box.setListIndex(r);
        ListSetSelected(box, r, true);
        if (shown != PressShown{Index, r})
            ShowEntryAttributes(box.ListPath(r));
        setCurrentIndex(Index);
    }
    SourceList = SourceKind::Listbox;
    showListMenuItems(true, true);
    const int32_t selected = box.SelCount();
    mnuSelectAll->setEnabled(selected != box.ListCount());
    mnuUnselectAll->setEnabled(selected > 0);
    popUpAttributeMenu();
}

void FrmSeek::lstFoundFiles_KeyDown(int16_t Index, int& KeyCode, int Shift)
{
    // The delete command's keys (Delete, and Shift+Ctrl+Delete) are taken
    // here, before the test for shift keys below.
    if (KeyCode == VirtualKey::Delete) {
        resultBoxDeleteKey(Index, static_cast<int16_t>(KeyCode), static_cast<int16_t>(Shift));
        KeyCode = 0;
        return;
    }

    if (Shift != 0)
        return;
    ResultListBox& box = resultBox(Index);
    if (KeyCode == VirtualKey::Apps) {
        SourceList = SourceKind::Listbox;
        mnuSelectAll->setVisible(true);
        mnuUnselectAll->setVisible(true);
        const int32_t selected = box.SelCount();
        mnuSelectAll->setEnabled(selected != box.ListCount());
        mnuUnselectAll->setEnabled(selected >= 1);
        popUpAttributeMenu();
        return;
    }
    if (KeyCode != VirtualKey::PageUp && KeyCode != VirtualKey::PageDown &&
        KeyCode != VirtualKey::Up && KeyCode != VirtualKey::Down)
        return;
    const int32_t count = box.ListCount();
    if (count == 0)
        return;
    pressShown_ = {};

    int32_t r = box.ListIndex();
    ListSetSelected(box, -1, false);
    switch (KeyCode) {
    case VirtualKey::PageUp:
        r = std::max(r - PageSize, 0);
        break;
    case VirtualKey::PageDown:
        r = std::min(r + PageSize, count - 1);
        break;
    case VirtualKey::Up:
        r = std::max(r - 1, 0);
        break;
    default:
        r = std::min(r + 1, count - 1);
        break;
    }
    KeyCode = 0;

    box.setListIndex(r);
    // A list box reports a moved focused row as a click, which puts the row
    // in the path line; the panel waits for the row to be selected below.
    lstFoundFiles_Click(Index);
    {
        const BusyScope busy(state_);
        ListSetSelected(box, r, true);
        ShowEntryAttributes(box.ListPath(r));
    }
    const int32_t t = box.TopIndex();
    if (r < t - PageSize || r > t + PageSize)
        box.setTopIndex(r);
}

void FrmSeek::mnuSelectAll_Click()
{
    ListSetSelected(resultBox(CurrentIndex()), -1, true);
    ShowSelectionAttributes(CurrentIndex());
}

void FrmSeek::mnuUnselectAll_Click()
{
    ListSetSelected(resultBox(CurrentIndex()), -1, false);
}

} // namespace umbrix
