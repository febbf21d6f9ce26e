#include "ui/controls/DirListBox.h"

#include "platform/AppTitle.h"
#include "platform/Error.h"
#include "platform/PathChain.h"
#include "platform/PathText.h"
#include "ui/controls/FolderEntries.h"
#include "ui/controls/NameOrder.h"
#include "ui/services/Interaction.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <sys/stat.h>

namespace umbrix {
namespace {

QString textOf(std::string_view bytes)
{
    return QString::fromStdString(displayText(bytes));
}

// A folder of the chain as it is now, the link itself when it is one.
platform::EntryIdentity identityOf(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return {};
    return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

} // namespace

DirListBox::DirListBox(QWidget* parent)
    : NameListView(new NameRowModel, parent), rows_(qobject_cast<NameRowModel*>(model()))
{
    try {
        load(absolutePath("."), -1);
    } catch (const Error&) {
        // An unreadable or vanished current directory still leaves the user
        // somewhere to start from.
        try {
            load("/", -1);
        } catch (const Error&) {
        }
    }
}

void DirListBox::setPath(const std::string& path)
{
    const std::string target = absolutePath(path);
    const bool changed = target != path_;
    load(target, -1);
    if (changed)
        emit Change();
}

void DirListBox::openNearest(std::string path)
{
    for (;;) {
        try {
            setPath(path);
            return;
        } catch (const Error&) {
        }
        std::string up = splitPath(path).folder;
        if (up == path)
            return;
        path = std::move(up);
    }
}

void DirListBox::refresh()
{
    load(path_, ListIndex());
}

int DirListBox::ListIndex() const
{
    const int row = currentRow();
    return row < 0 ? -1 : indexOfRow(row);
}

void DirListBox::setListIndex(int index)
{
    const int row = rowOfIndex(index);
    if (row < 0)
        throw Error{ErrorNumber::InvalidPropertyValue,
                    standardDescription(ErrorNumber::InvalidPropertyValue)};
    setCurrentRow(row);
}

std::string DirListBox::List(int index) const
{
    const int row = rowOfIndex(index);
    return row < 0 ? std::string() : rows_->rows()[static_cast<size_t>(row)].bytes;
}

platform::EntryIdentity DirListBox::ListIdentity(int index) const
{
    const int row = rowOfIndex(index);
    return row < 0 ? platform::EntryIdentity() : rows_->rows()[static_cast<size_t>(row)].identity;
}

// The chain's rows run ancestors, open directory, subdirectories, so one
// offset maps every list index (-ancestors-1 .. count-1) to its row.
int DirListBox::rowOfIndex(int index) const
{
    const int row = ancestorCount_ + 1 + index;
    return (row >= 0 && row < ancestorCount_ + 1 + subdirCount_) ? row : -1;
}

int DirListBox::indexOfRow(int row) const
{
    return row - ancestorCount_ - 1;
}

void DirListBox::load(const std::string& absolutePath, int keepIndex)
{
    std::vector<FolderEntry> subdirs = readSubdirectories(absolutePath);

    const std::vector<std::string> ancestors = ancestorsOf(absolutePath);
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QIcon linkIcon = style()->standardIcon(QStyle::SP_DirLinkIcon);

    std::vector<NameRow> rows;
    rows.reserve(ancestors.size() + 1 + subdirs.size());
    int depth = 0;
    for (const std::string& ancestor : ancestors)
        rows.push_back(NameRow{textOf(lastComponent(ancestor)), ancestor, depth++, openIcon,
                               identityOf(ancestor)});
    rows.push_back(NameRow{textOf(lastComponent(absolutePath)), absolutePath, depth++, openIcon,
                           identityOf(absolutePath)});
    for (FolderEntry& entry : subdirs) {
        const bool link = entry.kind == FolderEntry::Kind::DirectoryLink;
        rows.push_back(NameRow{textOf(entry.name), joinPath(absolutePath, entry.name), depth,
                               link ? linkIcon : closedIcon, entry.identity});
    }
    sortByDisplayText(rows.begin() + static_cast<std::ptrdiff_t>(ancestors.size() + 1), rows.end());

    path_ = absolutePath;
    ancestorCount_ = static_cast<int>(ancestors.size());
    subdirCount_ = static_cast<int>(subdirs.size());
    const int row = rowOfIndex(keepIndex);
    replaceRows([&] { rows_->setRows(std::move(rows)); }, row >= 0 ? row : ancestorCount_);
}

void DirListBox::openHighlighted()
{
    const std::string target = List(ListIndex());
    try {
        setPath(target);
    } catch (const Error& e) {
        MsgBox(QString::fromStdString(e.description), MsgBoxStyle::Exclamation,
               QString::fromUtf8(AppTitle.data(), AppTitle.size()), this);
    }
}

void DirListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || !index.isValid()) {
        event->accept();
        return;
    }
    setCurrentRow(index.row());
    openHighlighted();
    event->accept();
}

void DirListBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit KeyDown(event->key(), event->modifiers());
        openHighlighted();
        event->accept();
        return;
    }
    NameListView::keyPressEvent(event);
}

} // namespace umbrix
