#include "ui/main/AttributePanelLink.h"

#include "ui/controls/DirListBox.h"
#include "ui/controls/FileListBox.h"
#include "ui/main/FrmSeek.h"

#include <QItemSelectionModel>
#include <QMenu>
#include <QTimer>

namespace umbrix {

namespace {

// The panel follows the selection once the selection has settled: a drag
// over many rows changes it many times before the mouse comes up.
void showSelectionInPanel(FrmSeek& w, int index)
{
    const AppState& s = w.state();
    if (w.view() != FrmSeek::View::Results || s.Busy || s.Searching || w.attributeCommandRunning())
        return;
    if (index >= w.TotalListbox())
        return;
    ResultListBox& box = w.resultBox(index);
    if (box.ListCount() == 0 || !box.isVisible())
        return;
    w.setCurrentIndex(static_cast<int16_t>(index));
    if (box.SelCount() > 1) {
        w.ShowSelectionAttributes(static_cast<int16_t>(index));
        return;
    }
    const int32_t row = box.ListIndex();
    if (row >= 0 && box.Selected(row)) {
        w.ShowEntryAttributes(box.ListPath(row));
        w.txtTip->setText(box.List(row));
    }
}

// The menu opens with its right edge at the mouse.
void popUpMenu(FrmSeek& w, QWidget* list, const QPoint& at)
{
    const QPoint global = list->mapToGlobal(at);
    w.bAttribute->popup(global - QPoint(w.bAttribute->sizeHint().width(), 0));
}

void showListItems(FrmSeek& w, bool selectItems, bool copyItems)
{
    w.mnuSelectAll->setVisible(selectItems);
    w.mnuUnselectAll->setVisible(selectItems);
    w.s3->setVisible(copyItems);
    w.mnuCopy->setVisible(copyItems);
}

} // namespace

void linkResultBoxToAttributePanel(FrmSeek& w, ResultListBox& box, int index)
{
    auto* settle = new QTimer(&box);
    settle->setSingleShot(true);
    settle->setInterval(0);
    QObject::connect(settle, &QTimer::timeout, &w, [&w, index] { showSelectionInPanel(w, index); });
    QObject::connect(box.selectionModel(), &QItemSelectionModel::selectionChanged, settle,
                     [settle] { settle->start(); });

    box.setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(&box, &QWidget::customContextMenuRequested, &w, [&w, &box, index](QPoint at) {
        const QModelIndex under = box.indexAt(at);
        if (!under.isValid() || w.state().Searching)
            return;
        w.state().Busy = true;
        w.ShowEntryAttributes(box.ListPath(under.row()));
        w.setCurrentIndex(static_cast<int16_t>(index));
        w.state().Busy = false;
        w.SourceList = FrmSeek::SourceKind::Listbox;
        showListItems(w, true, true);
        popUpMenu(w, box.viewport(), at);
    });
}

void linkListsToAttributePanel(FrmSeek& w)
{
    QObject::connect(w.dirList.get(), &DirListBox::MouseDown, &w,
                     [&w](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at) {
                         DirListBox& list = *w.dirList.get();
                         if (list.ListCount() == 0 || list.ListIndex() == -1)
                             return;
                         if (button != Qt::RightButton || modifiers != Qt::NoModifier)
                             return;
                         w.ShowEntryAttributes(list.List(list.ListIndex()));
                         w.SourceList = FrmSeek::SourceKind::Dirbox;
                         showListItems(w, false, false);
                         popUpMenu(w, list.viewport(), at);
                     });
    QObject::connect(w.filList.get(), &FileListBox::MouseDown, &w,
                     [&w](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at) {
                         FileListBox& list = *w.filList.get();
                         if (list.ListCount() == 0 || list.ListIndex() == -1)
                             return;
                         std::string file = list.Path();
                         if (file.empty() || file.back() != '/')
                             file += '/';
                         file += list.List(list.ListIndex());
                         if (button != Qt::RightButton || modifiers != Qt::NoModifier)
                             return;
                         if (!w.ShowEntryAttributes(file))
                             return;
                         w.SourceList = FrmSeek::SourceKind::Filebox;
                         showListItems(w, false, true);
                         popUpMenu(w, list.viewport(), at);
                     });
}

} // namespace umbrix
