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
#include "ui/main/CompletionMessage.h"
#include "ui/main/EventCodes.h"
#include "ui/main/FileCommandScope.h"
#include "ui/main/FrmSeek.h"
#include "ui/main/SearchCommand.h"
#include "ui/services/Interaction.h"
#include "ui/services/QtText.h"

#include <QAction>
#include <QItemSelectionModel>
#include <algorithm>
#include <cerrno>
#include <optional>
#include <string_view>
#include <unordered_set>
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
    platform::EntryIdentity ListIdentity(int32_t row) const override
    {
        return box_.ListIdentity(row);
    }
    int32_t SelCount() const override { return selCount_; }
    int32_t ListIndex() const override { return listIndex_; }

    void RemoveItem(int32_t row) override
    {
        removed_.push_back(box_.ListPath(row));
        box_.RemoveItem(row);
        if (row >= 0 && row < static_cast<int32_t>(selected_.size()))
            selected_.erase(selected_.begin() + row);
    }
    void selectCurrent(int32_t row) override
    {
        box_.setListIndex(row);
        box_.setSelected(row, true);
    }

    // The entries whose rows left, as bytes.
    const std::vector<std::string>& removed() const { return removed_; }

private:
    ResultListBox& box_;
    std::vector<std::string> removed_;
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

// Rows of entries below a folder that went leave every result list box
// with it: a click on one could only fail.  The number of rows taken out.
int32_t removeRowsBelow(FrmSeek& w, const std::vector<std::string>& gone)
{
    if (gone.empty())
        return 0;
    const std::unordered_set<std::string_view> folders(gone.begin(), gone.end());
    const auto below = [&folders](std::string_view bytes) {
        for (std::size_t slash = bytes.find('/', 1); slash != std::string_view::npos;
             slash = bytes.find('/', slash + 1))
            if (folders.count(bytes.substr(0, slash)))
                return true;
        return false;
    };
    int32_t removed = 0;
    for (int b = 0; b < w.lstFoundFiles.TotalListbox(); ++b)
        removed += w.lstFoundFiles.box(b).resultModel().removeWhere(below);
    return removed;
}

// A delete that finds nothing to delete says so rather than end in silence:
// `path` is gone, or nothing was chosen when it is empty.
void reportNothingDeleted(QWidget* owner, const std::string& path)
{
    const QString why = path.empty() ? QStringLiteral("No entry is selected.")
                                     : qs("\"" + displayText(path) + "\"\r\r" +
                                          SystemMessageText(ENOENT));
    MsgBox(why, MsgBoxStyle::Exclamation, QStringLiteral("Delete"), owner);
}

bool entryExists(const std::string& path)
{
    return FileExists(path) || DirExists(path);
}

} // namespace

void FrmSeek::connectFileCommandHandlers()
{
    connect(bAttribute->mnuDelete, &QAction::triggered, this, &FrmSeek::mnuDelete_Click);
    connect(bAttribute->mnuCopy, &QAction::triggered, this, &FrmSeek::mnuCopy_Click);
    connect(browser.dirList.get(), &DirListBox::KeyDown, this,
            [this](int key, Qt::KeyboardModifiers modifiers) {
                if (key == Qt::Key_Delete)
                    dirList_KeyDown(static_cast<int16_t>(keyCodeOf(key)),
                                    static_cast<int16_t>(shiftCode(modifiers)));
            });
    connect(browser.filList.get(), &FileListBox::KeyDown, this,
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
        question = directoryQuestion(browser.dirList->List(browser.dirList->ListIndex()));
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
    if (browser.dirList->ListCount() == 0 || browser.dirList->ListIndex() == -1)
        return;
    if (!confirmDelete(directoryQuestion(browser.dirList->List(browser.dirList->ListIndex()))))
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
    if (Index < 0 || Index >= lstFoundFiles.TotalListbox())
        return;
    if (Shift == 0) {
        if (!confirmDelete("Are you sure you want to delete selected item(s)?" + kNoteItems))
            return;
    } else if (Shift != kShiftCtrl) {
        return;
    }
    // The keys act on the box that has them.
    lstFoundFiles.setCurrentIndex(Index);
    SourceList = SourceKind::Listbox;
    DeleteSelected();
}

void FrmSeek::DeleteSelected()
{
    if (!FileSystem || fileCommandRunning())
        return;
    const FileCommandScope running(fileCommands_);
    const UnseenFailures unseen;
    std::optional<WaitCursor> hourglass(std::in_place);
    AttributeHost& host = *attributeHost_;
    host.begin();
    const FileSystemObject& fs = *FileSystem;

    CommandEnd end = CommandEnd::Finished;
    ResultListBox* hidden = nullptr;
    // The box the delete works on, whichever box takes the focus meanwhile.
    const int16_t box = lstFoundFiles.CurrentIndex();
    bool listChanged = false;
    switch (SourceList) {
    case SourceKind::Filebox: {
        const int i = browser.filList->ListIndex();
        const std::string path = i < 0 ? std::string() : highlightedFile(*browser.filList.get());
        if (!FileExists(path)) {
            reportNothingDeleted(this, path);
            break;
        }
        end = deleteFileEntry(host, fs, path, browser.filList->ListIdentity(i));
        try {
            browser.filList->refresh();
        } catch (const Error&) {
        }
        restoreListIndex(*browser.filList.get(), i);
        break;
    }
    case SourceKind::Dirbox: {
        const int i = browser.dirList->ListIndex();
        const std::string path = browser.dirList->List(i);
        const platform::EntryIdentity identity = browser.dirList->ListIdentity(i);
        if (DirExists(path))
            end = deleteFolderEntry(host, fs, path, identity);
        else if (FileExists(path))
            // A link to a folder is listed among the folders; it goes as the
            // link it is, and what it leads to stays.
            end = deleteFileEntry(host, fs, path, identity);
        else
            reportNothingDeleted(this, path);
        if (end != CommandEnd::Finished)
            break;
        browser.dirList->openNearest(browser.dirList->Path());
        restoreListIndex(*browser.dirList.get(), i);
        break;
    }
    case SourceKind::Listbox: {
        ResultListBox& L = lstFoundFiles.box(box);
        ResultBoxDeletion rows(L);
        if (rows.SelCount() <= 1) {
            const int32_t i = rows.ListIndex();
            if (i < 0 || !rows.Selected(i))
                reportNothingDeleted(this, {});
            else if (!entryExists(rows.ListPath(i)))
                reportNothingDeleted(this, rows.ListPath(i));
        } else if (L.isVisible()) {
            // Repainting the box after every removed row would cost more
            // than the deletes.
            L.hide();
            hidden = &L;
        }
        end = deleteSelectedRows(host, fs, rows);
        const int32_t current = std::min(rows.ListIndex(), L.ListCount() - 1);
        // The row after a deleted folder was one of its own: the row that
        // comes after them takes its place.
        if (removeRowsBelow(*this, rows.removed()) > 0 && rows.SelCount() <= 1 && current >= 0) {
            L.setAllSelected(false);
            rows.selectCurrent(std::min(current, L.ListCount() - 1));
        }
        listChanged = !rows.removed().empty();
        break;
    }
    case SourceKind::None:
        break;
    }
    if (end == CommandEnd::Closing)
        return;
    if (hidden)
        hidden->show();
    host.end();
    setCaption(std::string(AppTitle));
    setCancelAction(false);
    if (listChanged)
        showResultsAfterDelete(box);
    hourglass.reset();
    showCompletion(this, {}, 0, QStringLiteral("Delete"), unseen);
}

void FrmSeek::showResultsAfterDelete(int16_t index)
{
    ShowFoundCount(*this);
    ResultListBox& box = lstFoundFiles.box(index);
    const int32_t row = box.ListIndex();
    txtTip->setText(row >= 0 ? box.List(row) : QString());
    if (box.SelCount() > 1)
        fraAttrib->ShowSelectionAttributes(index);
    else if (row >= 0 && box.Selected(row))
        fraAttrib->ShowEntryAttributes(box.ListPath(row));
    else
        fraAttrib->ClearAttributeBoxes();
}

} // namespace umbrix
