#include "fileops/DeleteCommand.h"

#include "fileops/AttributeChange.h"
#include "fileops/FsErrors.h"
#include "fileops/RetryStep.h"
#include "platform/AttributeStore.h"
#include "platform/FileHelpers.h"

#include <cerrno>
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
        if (yieldAndCheckStop(view, false) == CommandEnd::Closing)
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

// Whether the path leads to an entry at all; names are taken as they are,
// never as patterns.
bool entryExists(const std::string& path)
{
    platform::ReachedEntry entry;
    const int err = platform::reachEntry(path, {}, entry);
    return err != ENOENT && err != ENOTDIR;
}

// Removes the emptied tree of `path`; a failure asks as the delete command
// does, naming the top folder.  `gone` tells whether the folder is no longer
// there afterwards.
StepEnd removeTree(SelectionCommandView& view, const FileSystemObject& fs, const std::string& path,
                   const platform::EntryIdentity& identity, bool offerCancel, bool& gone)
{
    return retryStep(view, path, kDeleteError, offerCancel, [&] {
        const Folder folder = fs.GetFolder(path, identity);
        folder.Delete(true, [&view] { breathe(view); });
        gone = !folder.Exists();
    });
}

} // namespace

bool DeleteFolderContents(SelectionCommandView& view, const FileSystemObject& fs,
                          const std::string& path, bool& cancel,
                          const platform::EntryIdentity& identity)
{
    std::optional<Folder> folder;
    const std::string beforeFirstFile;
    if (retryStep(view, beforeFirstFile, kDeleteError, true,
                  [&] { folder.emplace(fs.GetFolder(path, identity)); }) == StepEnd::GaveUp) {
        cancel = true;
        return false;
    }
    // Skipped: there is nothing to empty, and the removal of the tree that
    // follows reports why.
    if (!folder)
        return true;
    return emptyContents(view, *folder, cancel);
}

namespace {

// A path that leads to another entry than the one listed now is reported
// once and left alone, before anything about it changes.
void failWhenElsewhere(const std::string& path, const platform::EntryIdentity& identity)
{
    platform::ReachedEntry entry;
    if (platform::reachEntry(path, identity, entry) == ESTALE)
        fileops::fail(ESTALE, {});
}

bool stillTheListedEntry(SelectionCommandView& view, const std::string& path,
                         const platform::EntryIdentity& identity)
{
    return retryStep(view, path, kDeleteError, false, [&] { failWhenElsewhere(path, identity); }) ==
           StepEnd::Done;
}

} // namespace

CommandEnd deleteFileEntry(SelectionCommandView& view, const FileSystemObject& fs,
                           const std::string& path, const platform::EntryIdentity& identity)
{
    if (!stillTheListedEntry(view, path, identity))
        return CommandEnd::Finished;
    ResetAttributes(view, path, identity);
    retryStep(view, path, kDeleteError, false, [&] { fs.GetFile(path, identity).Delete(true); });
    return CommandEnd::Finished;
}

CommandEnd deleteFolderEntry(SelectionCommandView& view, const FileSystemObject& fs,
                             const std::string& path, const platform::EntryIdentity& identity)
{
    if (!stillTheListedEntry(view, path, identity))
        return CommandEnd::Finished;
    ResetAttributes(view, path, identity);
    bool cancel = false;
    bool gone = false;
    if (DeleteFolderContents(view, fs, path, cancel, identity))
        removeTree(view, fs, path, identity, false, gone);
    if (view.Closing())
        return CommandEnd::Closing;
    return cancel ? CommandEnd::Cancelled : CommandEnd::Finished;
}

CommandEnd deleteListedEntry(SelectionCommandView& view, const FileSystemObject& fs,
                             const std::string& path, bool& gone,
                             const platform::EntryIdentity& identity)
{
    gone = false;
    switch (retryStep(view, path, kDeleteError, true, [&] { failWhenElsewhere(path, identity); })) {
    case StepEnd::GaveUp:
        return CommandEnd::Cancelled;
    case StepEnd::Skipped:
        return CommandEnd::Finished;
    case StepEnd::Done:
        break;
    }
    ResetAttributes(view, path, identity);
    int32_t attributes = 0;
    bool reparsePoint = false;
    if (retryStep(view, path, kDeleteError, true, [&] {
            attributes = GetEntryAttributes(path, false, reparsePoint, identity);
        }) == StepEnd::GaveUp)
        return CommandEnd::Cancelled;

    // A link has no attributes of its own here, so a link to a folder is
    // removed as the link it is.
    if (attributes & platform::Attr::Directory) {
        bool cancel = false;
        if (DeleteFolderContents(view, fs, path, cancel, identity) &&
            removeTree(view, fs, path, identity, true, gone) == StepEnd::GaveUp)
            return CommandEnd::Cancelled;
        if (view.Closing())
            return CommandEnd::Closing;
        return cancel ? CommandEnd::Cancelled : CommandEnd::Finished;
    }
    if (retryStep(view, path, kDeleteError, true, [&] {
            const File file = fs.GetFile(path, identity);
            file.Delete(true);
            gone = !file.Exists();
        }) == StepEnd::GaveUp)
        return CommandEnd::Cancelled;
    return CommandEnd::Finished;
}

CommandEnd deleteSelectedRows(SelectionCommandView& view, const FileSystemObject& fs,
                              DeletableRows& rows)
{
    // Each folder of the rows is opened once, for its first row: a folder
    // swapped for a link meanwhile cannot send the rows after it elsewhere.
    const platform::ScopedFolderReuse sameFolder;
    // The row's entry deleted, and the row gone with it.
    const auto deleteRow = [&](int32_t i, const std::string& path) {
        bool gone = false;
        const CommandEnd end = deleteListedEntry(view, fs, path, gone, rows.ListIdentity(i));
        if (gone)
            rows.RemoveItem(i);
        return end;
    };
    if (rows.SelCount() <= 1) {
        const int32_t i = rows.ListIndex();
        if (i == -1)
            return CommandEnd::Finished;
        if (rows.Selected(i)) {
            const std::string path = rows.ListPath(i);
            if (entryExists(path))
                if (const CommandEnd end = deleteRow(i, path); end != CommandEnd::Finished)
                    return end;
        }
        if (i < rows.ListCount())
            rows.selectCurrent(i);
        else if (rows.ListCount() > 0)
            rows.selectCurrent(rows.ListCount() - 1);
        return CommandEnd::Finished;
    }

    // From the last row to the first: removing a row leaves the indexes of
    // the rows still to be visited as they were.
    const int32_t n = rows.ListCount();
    for (int32_t i = n - 1; i >= 0; --i) {
        const int32_t percent = progressPercent(n - i, n);
        if (rows.Selected(i)) {
            const std::string path = rows.ListPath(i);
            if (!entryExists(path))
                rows.RemoveItem(i);
            else if (const CommandEnd end = deleteRow(i, path); end != CommandEnd::Finished)
                return end;
        }
        view.setCaption(processingCaption(percent));
        if (const CommandEnd end = yieldAndCheckStop(view); end != CommandEnd::Finished)
            return end;
    }
    return CommandEnd::Finished;
}

} // namespace umbrix
