// The result columns: filling the boxes, adding a box when one is full, and
// the boxes' mouse, keyboard and focus handlers.

#include "ui/main/ResultColumns.h"

#include "platform/AppTitle.h"
#include "platform/AttributeStore.h"
#include "platform/Error.h"
#include "platform/FileHelpers.h"
#include "platform/PathText.h"
#include "ui/controls/ResultListBox.h"
#include "ui/main/AttributeMenu.h"
#include "ui/main/AttributePanel.h"
#include "ui/main/EventCodes.h"
#include "ui/main/FrmSeek.h"
#include "ui/main/ListBoxOperations.h"
#include "ui/main/LogViewerInstance.h"
#include "ui/services/Interaction.h"
#include "ui/services/QtText.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <algorithm>
#include <exception>
#include <new>
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

ResultColumns::ResultColumns(FrmSeek& window, const TwipsScale* scale)
    : window_(window), scale_(scale)
{}

void ResultColumns::compose()
{
    boxes_.push_back(makeResultListBox(6210, 180, 4770, 3180));
}

Placed<ResultListBox> ResultColumns::makeResultListBox(float left, float top, float width,
                                                       float height)
{
    Placed<ResultListBox> box;
    auto* list = new ResultListBox(&window_);
    list->hide();
    box.place(list, scale_, left, top, width, height);
    connectResultBox(*list, static_cast<int16_t>(boxes_.size()));
    if (!boxes_.empty())
        QWidget::setTabOrder(boxes_.back().get(), list);
    return box;
}

void ResultColumns::FoundFileAdd(const std::string& Folder, const std::string& Name,
                                 const platform::EntryIdentity& identity)
{
    try {
        if (nextRowOpensBox())
            addResultListBox();
        try {
            box(CurrentIndex()).AddItem(Folder, Name, identity);
        } catch (const Error& e) {
            if (e.number == ErrorNumber::InvalidArgument &&
                box(CurrentIndex()).ListCount() > ResultBoxRefusalRows) {
                addResultListBox();
                box(CurrentIndex()).AddItem(Folder, Name, identity);
                return;
            }
            MsgBox(qs(e.description), MsgBoxStyle::Critical, qs(AppTitle), &window_);
        }
    } catch (const std::bad_alloc&) {
        // A message per further row would bury the window; the walk stops
        // instead, as it does for any failure to keep what it found.
        throw Error{ErrorNumber::OutOfMemory, "Out of memory"};
    }
}

bool ResultColumns::nextRowOpensBox()
{
    return box(CurrentIndex()).ListCount() > ResultBoxFullRows;
}

int32_t ResultColumns::foundTotal()
{
    if (TotalListbox() < 2)
        return box(0).ListCount();
    int32_t found = 0;
    for (int i = 0; i < TotalListbox(); ++i)
        found += box(i).ListCount();
    return found;
}

void ResultColumns::addResultListBox()
{
    const int k = CurrentIndex();
    // The full box gets no more rows: it shows all of them and is laid out
    // once, now, rather than in batches for rounds to come.
    box(k).resultModel().commit();
    const float m = boxes_[0].Left();
    // k + 2 equal columns with k + 3 margins fill the window.  A window too
    // narrow for them gets columns of no width rather than no new box.
    const float w = std::max(0.0f, (window_.ScaleWidth() - static_cast<float>(k + 3) * m) /
                                       static_cast<float>(k + 2));

    for (int j = 0; j <= k; ++j) {
        if (window_.formState() == WindowState::Minimized)
            window_.setFormState(WindowState::Normal);
        Placed<ResultListBox>& placed = boxes_[static_cast<std::size_t>(j)];
        placed.setWidth(w);
        if (j > 0) {
            const Placed<ResultListBox>& before = boxes_[static_cast<std::size_t>(j - 1)];
            placed.setLeft(before.Left() + before.Width() + m);
        }
    }

    setCurrentIndex(static_cast<int16_t>(k + 1));
    const float left = boxes_[0].Left();
    const float top = boxes_[0].Top();
    const float height = boxes_[0].Height();
    if (boxes_.size() <= static_cast<std::size_t>(k + 1))
        boxes_.push_back(makeResultListBox(left, top, w, height));
    setTotalListbox(static_cast<int16_t>(TotalListbox() + 1));

    const Placed<ResultListBox>& before = boxes_[static_cast<std::size_t>(k)];
    Placed<ResultListBox>& added = boxes_[static_cast<std::size_t>(k + 1)];
    added.setHeight(height);
    added.setWidth(w);
    added.setLeft(before.Left() + before.Width() + m);
    added.setTop(before.Top());
    added.setVisible(true);
}

bool ResultColumns::fit(float width, float height)
{
    Placed<ResultListBox>& first = boxes_[0];
    const float L = first.Left();
    const int total = TotalListbox();
    if (total <= 1)
        return first.setWidth(width - 2 * L) && first.setHeight(height);
    const float w = (width - static_cast<float>(total + 1) * L) / static_cast<float>(total);
    for (int i = 0; i < total; ++i) {
        Placed<ResultListBox>& placed = boxes_[static_cast<std::size_t>(i)];
        if (!placed.setWidth(w) || !placed.setHeight(height))
            return false;
        if (i > 0) {
            const Placed<ResultListBox>& before = boxes_[static_cast<std::size_t>(i - 1)];
            placed.setLeft(before.Left() + before.Width() + L);
        }
    }
    return true;
}

void ResultColumns::connectResultBox(ResultListBox& box, int16_t index)
{
    const auto twips = [&box](const QPoint& at) { return mouseTwips(box, at); };
    QObject::connect(&box, &ResultListBox::Click, this,
                     [this, index] { lstFoundFiles_Click(index); });
    QObject::connect(&box, &ResultListBox::GotFocus, this,
                     [this, index] { lstFoundFiles_GotFocus(index); });
    QObject::connect(&box, &ResultListBox::MouseDown, this,
                     [this, index, twips](Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                                          const QPoint& at) {
                         const QPointF t = twips(at);
                         lstFoundFiles_MouseDown(index, buttonCode(button), shiftCode(modifiers),
                                                 static_cast<float>(t.x()),
                                                 static_cast<float>(t.y()));
                     });
    QObject::connect(&box, &ResultListBox::MouseUp, this,
                     [this, index, twips](Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                                          const QPoint& at) {
                         const QPointF t = twips(at);
                         lstFoundFiles_MouseUp(index, buttonCode(button), shiftCode(modifiers),
                                               static_cast<float>(t.x()),
                                               static_cast<float>(t.y()));
                     });
    QObject::connect(&box, &ResultListBox::KeyDown, this,
                     [this, index](int& key, Qt::KeyboardModifiers modifiers) {
                         int code = keyCodeOf(key);
                         lstFoundFiles_KeyDown(index, code, shiftCode(modifiers));
                         if (code == 0)
                             key = 0;
                     });
}

void ResultColumns::lstFoundFiles_Click(int16_t Index)
{
    const PressShown shown = std::exchange(pressShown_, {});
    ResultListBox& box = this->box(Index);
    const int32_t row = box.ListIndex();
    if (box.ListCount() == 0 || row < 0 || !box.isVisible() || window_.state().Busy ||
        window_.state().Searching)
        return;
    std::string entry;
    try {
        entry = box.ListPath(row);
        if (box.SelCount() > 1) {
            if (shown != PressShown{Index, kSummaryShown})
                window_.fraAttrib->ShowSelectionAttributes(Index);
        } else if (box.Selected(row) && shown != PressShown{Index, row}) {
            window_.fraAttrib->ShowEntryAttributes(entry);
        }
        setCurrentIndex(Index);
        window_.txtTip->setText(box.List(row));
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

void ResultColumns::lstFoundFiles_GotFocus(int16_t Index)
{
    setCurrentIndex(Index);
}

void ResultColumns::lstFoundFiles_MouseDown(int16_t Index, int Button, int Shift, float, float Y)
{
    pressShown_ = {};
    ResultListBox& box = this->box(Index);
    if (box.ListCount() == 0 || window_.state().Searching)
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
                const BusyScope busy(window_.state());
                box.setListIndex(r);
                ListSetSelected(box, r, true);
                window_.fraAttrib->ShowEntryAttributes(box.ListPath(r));
            }
            pressShown_ = {Index, r};
        }
    } else if (Shift == 2) {
        window_.fraAttrib->ShowSelectionAttributes(Index);
        pressShown_ = {Index, kSummaryShown};
    }
}

void ResultColumns::lstFoundFiles_MouseUp(int16_t Index, int Button, int Shift, float, float Y)
{
    const PressShown shown = std::exchange(pressShown_, {});
    ResultListBox& box = this->box(Index);
    if (box.ListCount() == 0 || window_.state().Searching || Shift != 0 || Button != 2)
        return;
    const int32_t r = ListItemFromY(box, Y, box.TopIndex());
    if (r + 1 > box.ListCount())
        return;
    {
        const BusyScope busy(window_.state());
        box.setListIndex(r);
        ListSetSelected(box, r, true);
        if (shown != PressShown{Index, r})
            window_.fraAttrib->ShowEntryAttributes(box.ListPath(r));
        setCurrentIndex(Index);
    }
    window_.SourceList = SourceKind::Listbox;
    AttributeMenu& menu = *window_.bAttribute;
    menu.showListItems(true, true);
    menu.enableSelectItems(box.SelCount(), box.ListCount());
    menu.popUpAtPointer();
}

void ResultColumns::lstFoundFiles_KeyDown(int16_t Index, int& KeyCode, int Shift)
{
    // The delete command's keys (Delete, and Shift+Ctrl+Delete) are taken
    // here, before the test for shift keys below.
    if (KeyCode == VirtualKey::Delete) {
        window_.resultBoxDeleteKey(Index, static_cast<int16_t>(KeyCode),
                                   static_cast<int16_t>(Shift));
        KeyCode = 0;
        return;
    }

    if (Shift != 0)
        return;
    ResultListBox& box = this->box(Index);
    if (KeyCode == VirtualKey::Apps) {
        window_.SourceList = SourceKind::Listbox;
        AttributeMenu& menu = *window_.bAttribute;
        menu.mnuSelectAll->setVisible(true);
        menu.mnuUnselectAll->setVisible(true);
        menu.enableSelectItems(box.SelCount(), box.ListCount());
        menu.popUpAtPointer();
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
        const BusyScope busy(window_.state());
        ListSetSelected(box, r, true);
        window_.fraAttrib->ShowEntryAttributes(box.ListPath(r));
    }
    const int32_t t = box.TopIndex();
    if (r < t - PageSize || r > t + PageSize)
        box.setTopIndex(r);
}

void ResultColumns::mnuSelectAll_Click()
{
    ListSetSelected(box(CurrentIndex()), -1, true);
    window_.fraAttrib->ShowSelectionAttributes(CurrentIndex());
}

void ResultColumns::mnuUnselectAll_Click()
{
    ListSetSelected(box(CurrentIndex()), -1, false);
}

} // namespace umbrix
