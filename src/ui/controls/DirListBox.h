#pragma once

#include "ui/controls/NameListView.h"

#include <string>

namespace umbrix {

// A directory shown as a chain: its ancestors from "/" down, the open
// directory, then its subdirectories.
//
// ListIndex addresses the chain: -1 is the open directory, 0..ListCount()-1
// its subdirectories, -2, -3, ... its ancestors, nearest first.  List(i) is
// the full path of that entry, as bytes.
//
// Subdirectories include hidden and dot-named ones.  A symbolic link to a
// directory is listed among them (with a link icon) because that is where a
// person looks for it; opening it keeps the link's own path in the chain.
// The search never follows links it meets, so listing them here walks
// nothing behind the user's back.
//
// Inherited signals: Click (the highlight moved without opening), MouseDown,
// KeyDown.
class DirListBox : public NameListView {
    Q_OBJECT

public:
    // Opens the process's current directory ("/" when that cannot be read).
    explicit DirListBox(QWidget* parent = nullptr);

    // The open directory, absolute, without a trailing "/" (except "/").
    const std::string& Path() const { return path_; }
    // Opens `path` (relative paths are taken from the process's current
    // directory; "." and ".." are resolved by name) and highlights it (-1).
    // Emits Change when the open directory differs from before; the same
    // path re-reads the folder quietly.  Throws an Error when the folder
    // cannot be read (76 when it does not exist or is no directory), leaving
    // the list as it was.
    void setPath(const std::string& path);

    int ListCount() const { return subdirCount_; }
    int ListIndex() const;
    // Highlights an entry without opening it (Click follows when it moves).
    // Throws Error{380} outside -(ancestors+1)..ListCount()-1.
    void setListIndex(int index);
    // Full path of the entry at `index`; "" outside the chain.
    std::string List(int index) const;
    // Which entry `index` was when the list was read; unknown outside the
    // chain.
    platform::EntryIdentity ListIdentity(int index) const;

    // Opens `path` or, when that cannot be opened (a delete took it), the
    // nearest folder above it that can; the same path is re-read.
    void openNearest(std::string path);

    // Re-reads the open directory; the highlight stays on the same index when
    // it still exists, else on the open directory.  Throws as setPath.
    void refresh();

signals:
    // The open directory changed (double-click, Enter, or setPath).
    void Change();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int rowOfIndex(int index) const;
    int indexOfRow(int row) const;
    // Opens the highlighted entry on behalf of the user; a folder that cannot
    // be read is reported in a message box and the list stays.
    void openHighlighted();
    void load(const std::string& absolutePath, int keepIndex);

    NameRowModel* rows_;
    std::string path_;
    int ancestorCount_ = 0;
    int subdirCount_ = 0;
};

} // namespace umbrix
