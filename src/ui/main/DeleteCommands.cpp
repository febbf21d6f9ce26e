// The delete commands: the window's side.  The work is fileops/DeleteCommand.

#include "fileops/DeleteCommand.h"
#include "fileops/FileSystemObject.h"
#include "platform/AppTitle.h"
#include "platform/Error.h"
#include "platform/FileHelpers.h"
#include "platform/PathChain.h"
#include "platform/PathText.h"
#include "ui/controls/DirListBox.h"
#include "ui/controls/FileListBox.h"
#include "ui/main/AttributeHost.h"
#include "ui/main/EventCodes.h"
#include "ui/main/FileCommandScope.h"
#include "ui/main/FrmSeek.h"
#include "ui/services/Interaction.h"
#include "ui/services/QtText.h"

#include <QAction>
#include <QItemSelectionModel>
#include <vector>

namespace umbrix {

namespace {

constexpr int16_t kKeyDelete = VirtualKey::Delete;
// Shift and Ctrl together, nothing else: the delete that does not ask.
constexpr int16_t kShiftCtrl = 3;

const std::string kNoteFile = "\r\rNote: you can delete more files (without prompt) \rwith "
                              "CTRL+SHIFT+CANC keys.";
const std::string kNoteItems = "\r\rNote: you can delete more items (without prompt) \rwith "
                               "CTRL+SHIFT+CANC keys.";

std::string directoryQuestion(const std::string& path)
{
    return "Are you sure you want to delete selected directory and all files there are in?\r\r\"" +
           displayText(path) + "\"";
}

// The file list's entry at its current index, as a whole path.
std::string highlightedFile(const FileListBox& list)
{
    return withTrailingSlash(list.Path()) + list.List(list.ListIndex());
}

// One result list box as a delete changes it: the selection it had when the
// delete began, with each removed row taken out of it too.
class ResultBoxDeletion : public DeletableRows {
public:
    explicit ResultBoxDeletion(ResultListBox& box) : box_(box)
    {
        box.resultModel().commit();
        const int32_t count = box.ListCount();
        listIndex_ = box.ListIndex();
        selected_.assign(static_cast<std::size_t>(count), false);
        for (const QItemSelectionRange& range : box.selectionModel()->selection()) {
            for (int row = range.top(); row <= range.bottom(); ++row) {
                if (row >= 0 && row < count && !selected_[static_cast<std::size_t>(row)]) {
                    selected_[static_cast<std::size_t>(row)] = true;
                    ++selCount_;
                }
            }
        }
    }

    int32_t ListCount() const override { return box_.ListCount(); }
    bool Selected(int32_t row) const override
    {
        return row >= 0 && row < static_cast<int32_t>(selected_.size()) &&
               selected_[static_cast<std::size_t>(row)];
    }
    std::string ListPath(int32_t row) const override { return box_.ListPath(row); }
    int32_t SelCount() const override { return selCount_; }
    int32_t ListIndex() const override { return listIndex_; }

    void RemoveItem(int32_t row) override
    {
        box_.RemoveItem(row);
        if (row >= 0 && row < static_cast<int32_t>(selected_.size()))
            selected_.erase(selected_.begin() + row);
    }
    void selectCurrent(int32_t row) override
    {
        box_.setListIndex(row);
        box_.setSelected(row, true);
    }

private:
    ResultListBox& box_;
    std::vector<bool> selected_;
    int32_t selCount_ = 0;
    int32_t listIndex_ = -1;
};

// Highlights entry `index` of a list again after a delete, or its last
// entry when `index` is gone.
template <class List> void restoreListIndex(List& list, int index)
{
    try {
        list.setListIndex(index);
        return;
    } catch (const Error&) {
    }
    if (list.ListCount() > 0)
        list.setListIndex(list.ListCount() - 1);
}

// Re-reads the directory list after a delete; when the open directory itself
// went (an ancestor was deleted), the nearest one still there is opened.
void refreshDirectories(DirListBox& list)
{
    std::string path = list.Path();
    for (;;) {
        try {
            if (path == list.Path())
                list.refresh();
            else
                list.setPath(path);
            return;
        } catch (const Error&) {
        }
        if (path == "/")
            return;
        path = splitPath(path).folder;
    }
}

} // namespace

void FrmSeek::connectFileCommandHandlers()
{
    connect(mnuDelete, &QAction::triggered, this, &FrmSeek::mnuDelete_Click);
    connect(mnuCopy, &QAction::triggered, this, &FrmSeek::mnuCopy_Click);
    connect(dirList.get(), &DirListBox::KeyDown, this,
            [this](int key, Qt::KeyboardModifiers modifiers) {
                if (key == Qt::Key_Delete)
                    dirList_KeyDown(static_cast<int16_t>(keyCodeOf(key)),
                                    static_cast<int16_t>(shiftCode(modifiers)));
            });
    connect(filList.get(), &FileListBox::KeyDown, this,
            [this](int key, Qt::KeyboardModifiers modifiers) {
                if (key == Qt::Key_Delete)
                    filList_KeyDown(static_cast<int16_t>(keyCodeOf(key)),
                                    static_cast<int16_t>(shiftCode(modifiers)));
            });
}

bool FrmSeek::confirmDelete(const std::string& question)
{
    const int answer = MsgBox(
        qs(question), MsgBoxStyle::YesNo + MsgBoxStyle::Question + MsgBoxStyle::DefaultButton2,
        QStringLiteral("Delete"), this);
    state_.MsgAnswer = answer;
    return answer == MsgBoxAnswer::Yes;
}

void FrmSeek::mnuDelete_Click()
{
    if (state_.Searching || fileCommandRunning())
        return;
    std::string question;
    switch (SourceList) {
    case SourceKind::Listbox:
        question = "Are you sure you want to delete selected file(s)?";
        break;
    case SourceKind::Filebox:
        question = "Are you sure you want to delete selected file?";
        break;
    case SourceKind::Dirbox:
        question = directoryQuestion(dirList->List(dirList->ListIndex()));
        break;
    case SourceKind::None:
        break;
    }
    if (confirmDelete(question))
        DeleteSelected();
}

void FrmSeek::dirList_KeyDown(int16_t KeyCode, int16_t Shift)
{
    if (KeyCode != kKeyDelete || Shift != 0 || state_.Searching || fileCommandRunning())
        return;
    if (dirList->ListCount() == 0 || dirList->ListIndex() == -1)
        return;
    if (!confirmDelete(directoryQuestion(dirList->List(dirList->ListIndex()))))
        return;
    SourceList = SourceKind::Dirbox;
    DeleteSelected();
}

void FrmSeek::filList_KeyDown(int16_t KeyCode, int16_t Shift)
{
    if (KeyCode != kKeyDelete || state_.Searching || fileCommandRunning())
        return;
    if (Shift == 0) {
        if (!confirmDelete("Are you sure you want to delete selected file?" + kNoteFile))
            return;
    } else if (Shift != kShiftCtrl) {
        return;
    }
    SourceList = SourceKind::Filebox;
    DeleteSelected();
}

void FrmSeek::resultBoxDeleteKey(int16_t Index, int16_t KeyCode, int16_t Shift)
{
    if (KeyCode != kKeyDelete || state_.Searching || fileCommandRunning())
        return;
    if (Index < 0 || Index >= TotalListbox())
        return;
    if (Shift == 0) {
        if (!confirmDelete("Are you sure you want to delete selected item(s)?" + kNoteItems))
            return;
    } else if (Shift != kShiftCtrl) {
        return;
    }
    // The keys act on the box that has them.
    setCurrentIndex(Index);
    SourceList = SourceKind::Listbox;
    DeleteSelected();
}

void FrmSeek::DeleteSelected()
{
    if (!FileSystem || fileCommandRunning())
        return;
    const FileCommandScope running(fileCommands_);
    const WaitCursor hourglass;
    AttributeHost& host = *attributeHost_;
    host.begin();
    const FileSystemObject& fs = *FileSystem;

    DeleteEnd end = DeleteEnd::Finished;
    ResultListBox* hidden = nullptr;
    switch (SourceList) {
    case SourceKind::Filebox: {
        const std::string path = highlightedFile(*filList.get());
        if (filList->ListIndex() < 0 || !FileExists(path))
            break;
        const int i = filList->ListIndex();
        end = deleteFileEntry(host, fs, path);
        try {
            filList->refresh();
        } catch (const Error&) {
        }
        restoreListIndex(*filList.get(), i);
        break;
    }
    case SourceKind::Dirbox: {
        const int i = dirList->ListIndex();
        const std::string path = dirList->List(i);
        if (!DirExists(path))
            break;
        end = deleteFolderEntry(host, fs, path);
        if (end != DeleteEnd::Finished)
            break;
        refreshDirectories(*dirList.get());
        restoreListIndex(*dirList.get(), i);
        break;
    }
    case SourceKind::Listbox: {
        ResultListBox& L = resultBox(CurrentIndex());
        ResultBoxDeletion rows(L);
        if (rows.SelCount() > 1 && L.isVisible()) {
            // Repainting the box after every removed row would cost more
            // than the deletes.
            L.hide();
            hidden = &L;
        }
        end = deleteSelectedRows(host, fs, rows);
        break;
    }
    case SourceKind::None:
        break;
    }
    if (end == DeleteEnd::Closing)
        return;
    if (hidden)
        hidden->show();
    host.end();
    setCaption(std::string(AppTitle));
    setCancelAction(false);
}

} // namespace umbrix
