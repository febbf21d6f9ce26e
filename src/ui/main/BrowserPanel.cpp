// The drive, directory and file lists of the browser view.

#include "app/AppState.h"
#include "app/Interaction.h"
#include "platform/Error.h"
#include "ui/controls/DirListBox.h"
#include "ui/controls/DriveListBox.h"
#include "ui/controls/FileListBox.h"
#include "ui/main/FrmSeek.h"

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
    AppState& s = app();
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
        MsgBox(QString::fromStdString(e.description), MsgBoxStyle::Exclamation,
               QString::fromStdString(s.AppTitle), this);
    }
}

void FrmSeek::dirList_Click()
{
    app().DirChanged = 1;
}

} // namespace umbrix
