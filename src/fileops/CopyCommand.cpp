#include "fileops/CopyCommand.h"

#include "fileops/RetryStep.h"
#include "platform/AttributeStore.h"
#include "platform/FileHelpers.h"
#include "platform/FolderHandle.h"

#include <cerrno>

namespace umbrix {
namespace {

const std::string kCopyError = "Copy Error, Retry?";

} // namespace

std::string copyTargetFolder(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

void CopyEntry(const FileSystemObject& fs, const std::string& source, const std::string& target,
               int32_t attributeSet)
{
    if (attributeSet & platform::Attr::Directory)
        fs.CopyFolder(source, target, true);
    else
        fs.CopyFile(source, target, true);
}

CommandEnd copyOneEntry(SelectionCommandView& view, const FileSystemObject& fs,
                        const std::string& source, const std::string& targetFolder,
                        bool offerCancel, CopyTally& tally, const platform::EntryIdentity& identity)
{
    const platform::ScopedHeldFolder heldTarget(targetFolder);
    // A row whose path leads to another entry now is reported "changed
    // since" and not copied: what it leads to may lie outside the tree.
    const auto stillTheRow = [&] {
        platform::ReachedEntry entry;
        if (platform::reachEntry(source, identity, entry) == ESTALE)
            throw errorFromErrno(ESTALE);
    };
    switch (retryStep(view, source, kCopyError, offerCancel, stillTheRow)) {
    case StepEnd::GaveUp:
        return CommandEnd::Cancelled;
    case StepEnd::Skipped:
        ++tally.skipped;
        tally.copied = true;
        return CommandEnd::Finished;
    case StepEnd::Done:
        break;
    }
    // Its attributes, then the copy.  A failed attribute query answered No
    // leaves the attribute set of the entry before, as the copy then uses.
    const std::string target = targetFolder + FileNameOfPath(source);
    bool reparsePoint = false;
    if (retryStep(view, source, kCopyError, offerCancel, [&] {
            tally.attributeSet = GetEntryAttributes(source, false, reparsePoint, identity);
        }) == StepEnd::GaveUp)
        return CommandEnd::Cancelled;
    switch (retryStep(view, source, kCopyError, offerCancel,
                      [&] { CopyEntry(fs, source, target, tally.attributeSet); })) {
    case StepEnd::GaveUp:
        return CommandEnd::Cancelled;
    case StepEnd::Skipped:
        ++tally.skipped;
        break;
    case StepEnd::Done:
        break;
    }
    tally.copied = true;
    return CommandEnd::Finished;
}

CommandEnd copySelectedRows(SelectionCommandView& view, const FileSystemObject& fs,
                            const SelectedRows& rows, const std::string& targetFolder,
                            CopyTally& tally)
{
    // Every row goes into the folder the command began with.
    const platform::ScopedHeldFolder heldTarget(targetFolder);
    // The path of the row being copied: a row that cannot be read is named
    // by the one before it.
    std::string source;
    const auto copyRow = [&](int32_t row) {
        if (retryStep(view, source, kCopyError, true, [&] { source = rows.ListPath(row); }) ==
            StepEnd::GaveUp)
            return CommandEnd::Cancelled;
        return copyOneEntry(view, fs, source, targetFolder, true, tally, rows.ListIdentity(row));
    };

    if (rows.SelCount() <= 1) {
        const int32_t current = rows.ListIndex();
        if (current >= 0 && rows.Selected(current))
            return copyRow(current);
        return CommandEnd::Finished;
    }
    const int32_t n = rows.ListCount();
    int32_t percent = 0;
    for (int32_t i = 0; i < n; ++i) {
        if (rows.Selected(i)) {
            percent = progressPercent(i + 1, n);
            if (copyRow(i) == CommandEnd::Cancelled)
                return CommandEnd::Cancelled;
        }
        view.setCaption(processingCaption(percent));
        // A long copy keeps the window alive; the walk stops only when the
        // program is closing.
        if (yieldAndCheckStop(view, false) == CommandEnd::Closing)
            return CommandEnd::Closing;
    }
    return CommandEnd::Finished;
}

} // namespace umbrix
