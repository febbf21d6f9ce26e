#include "fileops/DeleteCommand.h"

#include "fileops/AttributeChange.h"
#include "fileops/RetryStep.h"
#include "platform/AttributeStore.h"
#include "platform/FileHelpers.h"

#include <optional>
#include <vector>

namespace umbrix {
namespace {

using Folder = FileSystemObject::Folder;
using File = FileSystemObject::File;

const std::string kDeleteError = "Delete Error, Retry?";

// Runs between two removed entries of a tree; once the program is closing
// the delete finishes without handling further events.
void breathe(SelectionCommandView& view)
{
    if (!view.Closing())
        view.DoEvents();
}

// DeleteFolderContents on a folder already held open by its parent, so that
// every level below the first is reached through the one above it.
bool emptyContents(SelectionCommandView& view, const Folder& folder, bool& cancel)
{
    // The file being deleted; none until the first, and a failure before it
    // is named by its description alone.
    std::string noted;
    const auto giveUp = [&cancel] {
        cancel = true;
        return false;
    };

    std::vector<File> files;
    if (retryStep(view, noted, kDeleteError, true, [&] { files = folder.Files(); }) ==
        StepEnd::GaveUp)
        return giveUp();
    for (const File& file : files) {
        noted = file.Path();
        if (retryStep(view, noted, kDeleteError, true, [&] { file.Delete(true); }) ==
            StepEnd::GaveUp)
            return giveUp();
        view.DoEvents();
        if (view.Closing())
            return giveUp();
    }

    std::vector<Folder> subFolders;
    if (retryStep(view, noted, kDeleteError, true, [&] { subFolders = folder.SubFolders(); }) ==
        StepEnd::GaveUp)
        return giveUp();
    for (const Folder& sub : subFolders) {
        emptyContents(view, sub, cancel);
        if (cancel)
            return false;
    }
    return true;
}

bool entryExists(const std::string& path)
{
    return FileExists(path) || DirExists(path);
}

// Removes the emptied tree of `path`; a failure asks as the delete command
// does, naming the top folder.
StepEnd removeTree(SelectionCommandView& view, const FileSystemObject& fs, const std::string& path,
                   bool offerCancel)
{
    return retryStep(view, path, kDeleteError, offerCancel,
                     [&] { fs.GetFolder(path).Delete(true, [&view] { breathe(view); }); });
}

} // namespace

bool DeleteFolderContents(SelectionCommandView& view, const FileSystemObject& fs,
                          const std::string& path, bool& cancel)
{
    std::optional<Folder> folder;
    const std::string beforeFirstFile;
    if (retryStep(view, beforeFirstFile, kDeleteError, true,
                  [&] { folder.emplace(fs.GetFolder(path)); }) == StepEnd::GaveUp) {
        cancel = true;
        return false;
    }
    // Skipped: there is nothing to empty, and the removal of the tree that
    // follows reports why.
    if (!folder)
        return true;
    return emptyContents(view, *folder, cancel);
}

DeleteEnd deleteFileEntry(SelectionCommandView& view, const FileSystemObject& fs,
                          const std::string& path)
{
    ResetAttributes(view, path);
    retryStep(view, path, kDeleteError, false, [&] { fs.GetFile(path).Delete(true); });
    return DeleteEnd::Finished;
}

DeleteEnd deleteFolderEntry(SelectionCommandView& view, const FileSystemObject& fs,
                            const std::string& path)
{
    ResetAttributes(view, path);
    bool cancel = false;
    if (DeleteFolderContents(view, fs, path, cancel))
        removeTree(view, fs, path, false);
    if (view.Closing())
        return DeleteEnd::Closing;
    return cancel ? DeleteEnd::Cancelled : DeleteEnd::Finished;
}

DeleteEnd deleteListedEntry(SelectionCommandView& view, const FileSystemObject& fs,
                            const std::string& path, bool& gone)
{
    gone = false;
    ResetAttributes(view, path);
    int32_t attributes = 0;
    bool reparsePoint = false;
    if (retryStep(view, path, kDeleteError, true, [&] {
            attributes = GetEntryAttributes(path, false, reparsePoint);
        }) == StepEnd::GaveUp)
        return DeleteEnd::Cancelled;

    // A link has no attributes of its own here, so a link to a folder is
    // removed as the link it is.
    if (attributes & platform::Attr::Directory) {
        bool cancel = false;
        if (DeleteFolderContents(view, fs, path, cancel)) {
            if (removeTree(view, fs, path, true) == StepEnd::GaveUp)
                return DeleteEnd::Cancelled;
            gone = !fs.FolderExists(path);
        }
        if (view.Closing())
            return DeleteEnd::Closing;
        return cancel ? DeleteEnd::Cancelled : DeleteEnd::Finished;
    }
    if (retryStep(view, path, kDeleteError, true, [&] { fs.GetFile(path).Delete(true); }) ==
        StepEnd::GaveUp)
        return DeleteEnd::Cancelled;
    gone = !fs.FileExists(path);
    return DeleteEnd::Finished;
}

DeleteEnd deleteSelectedRows(SelectionCommandView& view, const FileSystemObject& fs,
                             DeletableRows& rows)
{
    if (rows.SelCount() <= 1) {
        const int32_t i = rows.ListIndex();
        if (i == -1)
            return DeleteEnd::Finished;
        if (rows.Selected(i)) {
            const std::string path = rows.ListPath(i);
            if (entryExists(path)) {
                bool gone = false;
                const DeleteEnd end = deleteListedEntry(view, fs, path, gone);
                if (gone)
                    rows.RemoveItem(i);
                if (end != DeleteEnd::Finished)
                    return end;
            }
        }
        if (i < rows.ListCount())
            rows.selectCurrent(i);
        else if (rows.ListCount() > 0)
            rows.selectCurrent(rows.ListCount() - 1);
        return DeleteEnd::Finished;
    }

    // From the last row to the first: removing a row leaves the indexes of
    // the rows still to be visited as they were.
    const int32_t n = rows.ListCount();
    for (int32_t i = n - 1; i >= 0; --i) {
        const int32_t percent = progressPercent(n - i, n);
        if (rows.Selected(i)) {
            const std::string path = rows.ListPath(i);
            if (!entryExists(path)) {
                rows.RemoveItem(i);
            } else {
                bool gone = false;
                const DeleteEnd end = deleteListedEntry(view, fs, path, gone);
                if (gone)
                    rows.RemoveItem(i);
                if (end != DeleteEnd::Finished)
                    return end;
            }
        }
        view.setCaption(processingCaption(percent));
        view.DoEvents();
        if (view.Closing())
            return DeleteEnd::Closing;
        if (view.CancelAction())
            return DeleteEnd::Cancelled;
    }
    return DeleteEnd::Finished;
}

} // namespace umbrix
