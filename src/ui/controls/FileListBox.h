#pragma once

#include "platform/EntryReach.h"
#include "ui/controls/NameListView.h"

#include <QTimer>
#include <memory>
#include <string>
#include <string_view>

namespace umbrix {

class FileNameModel;
class SortedNames;
struct FileListFill;

// The files of one folder that match a pattern: every entry that is not a
// directory (regular files, links to files, dangling links, fifos, devices),
// hidden and system ones included.  Links to directories belong to the
// directory list and are left out.  Sorted as a person reads them, without
// regard to case.
//
// Inherited signals: Click (the highlight moved), MouseDown, KeyDown.
class FileListBox : public NameListView {
    Q_OBJECT

public:
    // Lists the process's current directory with the pattern "*.*".
    explicit FileListBox(QWidget* parent = nullptr);
    ~FileListBox() override;

    // The folder shown, absolute, without a trailing "/" (except "/").
    const std::string& Path() const { return path_; }
    // Shows `path` (relative to the process's current directory; "." and
    // ".." resolved by name).  Setting the same path again re-reads it.
    // Throws an Error when the folder cannot be read (76 when it does not
    // exist or is no directory), leaving the list as it was.
    void setPath(const std::string& path);

    // One pattern or several separated by ";" ("*.txt;*.doc"), each with the
    // Windows wildcard rules; spaces around each piece are ignored.  An empty
    // pattern lists every file.
    const std::string& Pattern() const { return pattern_; }
    // Throws Error{380, "Invalid property value"} for a pattern holding "/"
    // or a NUL, which could never match a name; the old pattern stays.
    void setPattern(const std::string& pattern);
    // The rule setPattern applies.
    static bool isValidPattern(std::string_view pattern);

    int ListCount() const;
    // -1 when nothing is highlighted (always while the rows are coming).
    int ListIndex() const { return currentRow(); }
    // Throws Error{380} outside -1..ListCount()-1.
    void setListIndex(int index);
    // Bare file name (bytes) of entry `index`; "" outside 0..ListCount()-1.
    std::string List(int index) const;
    // Which entry `index` was when the folder was read; unknown outside the
    // list.
    platform::EntryIdentity ListIdentity(int index) const;

    // Re-reads the folder; the highlight is cleared.  Throws as setPath.
    void refresh();

    // True while the rows are being read or put in order.
    bool filling() const { return filling_ != nullptr; }
    // Entries a round reads or orders; a folder up to this size is shown at
    // once.  The window keeps the default, tests make rounds small.
    void setRoundSize(size_t names) { roundSize_ = names; }

private:
    void load(const std::string& absolutePath, const std::string& pattern);
    void fillRound();
    // Does what is left of the ordering now; the readers of the rows call it
    // so that they never see a list still coming.
    void finishFilling() const;
    void showRows(std::unique_ptr<SortedNames> names);

    FileNameModel* names_;
    uint64_t device_ = 0; // of the folder shown
    std::unique_ptr<FileListFill> filling_;
    QTimer fillTimer_;
    size_t roundSize_ = 20000;
    std::string path_;
    std::string pattern_ = "*.*";
};

} // namespace umbrix
