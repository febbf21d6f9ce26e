// The copy command: the window's side.  The work is fileops/CopyCommand, the
// folder dialog ui/services/FolderBrowser.

#include "fileops/CopyCommand.h"
#include "fileops/FileSystemObject.h"
#include "platform/AppTitle.h"
#include "platform/PathChain.h"
#include "ui/controls/FileListBox.h"
#include "ui/main/AttributeHost.h"
#include "ui/main/CompletionMessage.h"
#include "ui/main/FileCommandScope.h"
#include "ui/main/FrmSeek.h"
#include "ui/services/FolderBrowser.h"
#include "ui/services/Interaction.h"

#include <optional>

namespace umbrix {

void FrmSeek::mnuCopy_Click()
{
    if (state_.Searching || fileCommandRunning() || !FileSystem)
        return;
    const std::string chosen = BrowseDirectory(this, QStringLiteral("Copy selected file(s) to..."),
                                               false, std::string(), false);
    if (chosen.empty())
        return;
    const std::string folder = copyTargetFolder(chosen);

    const FileCommandScope running(fileCommands_);
    const UnseenFailures unseen;
    AttributeHost& host = *attributeHost_;
    host.begin();
    CopyTally tally;
    CommandEnd end = CommandEnd::Finished;
    if (SourceList == SourceKind::Listbox) {
        const ResultBoxRows rows(lstFoundFiles.box(lstFoundFiles.CurrentIndex()));
        std::optional<WaitCursor> hourglass;
        if (rows.SelCount() > 1)
            hourglass.emplace();
        end = copySelectedRows(host, *FileSystem, rows, folder, tally);
    } else if (SourceList == SourceKind::Filebox && browser.filList->ListIndex() >= 0) {
        // Without a highlighted entry the path would name the folder itself.
        const std::string source = withTrailingSlash(browser.filList->Path()) +
                                   browser.filList->List(browser.filList->ListIndex());
        end = copyOneEntry(host, *FileSystem, source, folder, false, tally);
    }
    if (end == CommandEnd::Closing)
        return;
    host.end();
    if (end == CommandEnd::Finished && tally.copied) {
        // Entries skipped after a failure were not copied, and the message
        // says so rather than report them as copied.
        if (tally.skipped == 0)
            showCompletion(this, QStringLiteral("Selected File(s) copied."),
                           MsgBoxStyle::Information, QStringLiteral("Copy"), unseen);
        else
            showCompletion(
                this,
                QStringLiteral("Selected File(s) copied, except %1 that could not be copied.")
                    .arg(tally.skipped),
                MsgBoxStyle::Exclamation, QStringLiteral("Copy"), unseen);
    }
    setCaption(std::string(AppTitle));
}

} // namespace umbrix
