// The drive, directory and file lists of the browser view.

#include "platform/AppTitle.h"
#include "platform/Error.h"
#include "ui/controls/DirListBox.h"
#include "ui/controls/DriveListBox.h"
#include "ui/controls/FileListBox.h"
#include "ui/main/FrmSeek.h"
#include "ui/services/Interaction.h"
#include "ui/services/QtText.h"

#include <cerrno>
#include <exception>
#include <unistd.h>

namespace umbrix {

void FrmSeek::drvList_Change()
{
    if (restoringDrive_)
        return;
    // A volume opens where it was left, as a drive keeps its own current
    // directory; the first time at its root.
    const std::string root = drvList->DriveRoot();
    const auto last = lastDirectoryOf_.find(root);
    try {
        if (last != lastDirectoryOf_.end()) {
            try {
                dirList->setPath(last->second);
                return;
            } catch (const Error&) {
                lastDirectoryOf_.erase(last);
            }
        }
        dirList->setPath(root);
        return;
    } catch (const Error&) {
    } catch (const std::exception&) {
    }
    // A volume that cannot be read: back to the one the directory list shows,
    // without a word and without moving the directory list.
    restoringDrive_ = true;
    try {
        drvList->setDrive(dirList->Path());
    } catch (const Error&) {
    }
    restoringDrive_ = false;
}

void FrmSeek::dirList_Change()
{
    AppState& s = state_;
    try {
        const std::string path = dirList->Path();
        filList->setPath(path);
        if (::chdir(path.c_str()) != 0)
            throwErrno(errno);
        s.CurrentPath = path;
        s.DirChanged = 0;
        // The directory list may walk onto another volume; the drive list
        // follows it without moving it again.
        restoringDrive_ = true;
        try {
            drvList->setDrive(path);
        } catch (const Error&) {
        }
        restoringDrive_ = false;
        lastDirectoryOf_[drvList->DriveRoot()] = path;
    } catch (const Error& e) {
        MsgBox(qs(e.description), MsgBoxStyle::Exclamation, qs(AppTitle), this);
    }
}

void FrmSeek::dirList_Click()
{
    state_.DirChanged = 1;
}

} // namespace umbrix
