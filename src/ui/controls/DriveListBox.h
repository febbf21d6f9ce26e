#pragma once

#include "platform/MountTable.h"

#include <QComboBox>
#include <string>
#include <vector>

namespace umbrix {

// The volumes a person can browse, one row each.  A row's text begins with
// the mount point ("/ [ext4]", "/media/usb [vfat]"); the mount point bytes
// stay beside it, so a name that is not UTF-8 still reaches the directory
// list exactly.
class DriveListBox : public QComboBox {
    Q_OBJECT

public:
    // Reads the process's own mount table.
    explicit DriveListBox(QWidget* parent = nullptr);
    // Reads the mount table from `mountInfoPath` (same format as
    // /proc/self/mountinfo); lets tests describe any set of volumes.
    DriveListBox(QWidget* parent, std::string mountInfoPath);

    // The current row's text (UTF-8), e.g. "/ [ext4]".
    std::string Drive() const;
    // Chooses a volume.  Accepts a row's text, or any absolute path: then the
    // volume that holds it, i.e. the deepest mount point that is a whole-
    // component prefix of it.  Emits Change when the volume changes.
    // Throws Error{68, "Device unavailable"} when nothing matches (a relative
    // text that is no row's text); the current volume stays.
    void setDrive(const std::string& text);

    // Mount point bytes of the current volume ("/" when the table is empty).
    std::string DriveRoot() const;

    int ListCount() const;
    int ListIndex() const;
    // Row text of entry `index`, "" outside 0..ListCount()-1.
    std::string List(int index) const;
    // Mount point bytes of entry `index`, "" outside 0..ListCount()-1.
    std::string ListRoot(int index) const;

    // Re-reads the mount table, staying on the current volume while it is
    // still mounted; otherwise falls back to "/" and emits Change.
    void refresh();

signals:
    // The current volume changed, by the user or by the program.
    void Change();

protected:
    // Volumes come and go (a stick plugged in): the list is re-read each time
    // it opens.
    void showPopup() override;

private:
    void fill(std::vector<Volume> volumes, const std::string& keepRoot);
    void onCurrentIndexChanged(int index);

    std::string mountInfoPath_;
    std::vector<Volume> volumes_;
    bool filling_ = false;
    int lastIndex_ = -1;
};

} // namespace umbrix
