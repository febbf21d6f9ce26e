#pragma once

#include "fileops/FileSystemObject.h"
#include "fileops/SelectionCommand.h"

#include <cstdint>
#include <string>

// The work of the delete commands: the entry's protective attributes come
// off, then the entry goes (a folder with everything in it), each failure
// asking whether to retry.  The window asks the confirmation question, picks
// the entry and brings its list up to date.
namespace umbrix {

// The rows of a result list box as a delete changes them.
class DeletableRows : public SelectedRows {
public:
    virtual void RemoveItem(int32_t row) = 0;
    // Makes `row` the current row and selects it.
    virtual void selectCurrent(int32_t row) = 0;
};

// How a delete ended.
// The entries of the folder `path` and of every folder below it, files only:
// the emptied tree is the caller's to remove.  Every failure asks "Delete
// Error, Retry?" with Yes, No and Cancel; Cancel sets `cancel` and every
// level reports false.  The walk yields after every file and stops (false,
// `cancel` set) when the program is shutting down.
bool DeleteFolderContents(SelectionCommandView& view, const FileSystemObject& fs,
                          const std::string& path, bool& cancel,
                          const platform::EntryIdentity& identity = {});

// The file list's entry `path`: attributes reset, then deleted even when
// read-only; a failure asks with Yes and No.  A known `identity` is the
// entry the list showed: a path that leads elsewhere now is reported
// "changed since" and nothing is done to it.
CommandEnd deleteFileEntry(SelectionCommandView& view, const FileSystemObject& fs,
                           const std::string& path, const platform::EntryIdentity& identity = {});

// The directory list's entry `path`: attributes reset, its files deleted,
// then the tree.  A failure of the tree's removal asks with Yes and No.
// `identity` as for deleteFileEntry.
CommandEnd deleteFolderEntry(SelectionCommandView& view, const FileSystemObject& fs,
                             const std::string& path, const platform::EntryIdentity& identity = {});

// One result row's entry: attributes reset, then a folder (by its attribute
// word) with everything in it, or a file.  `gone` says whether the entry no
// longer exists afterwards.  Failures ask with Yes, No and Cancel.  A known
// `identity` is the entry the row was found as: a path that leads elsewhere
// now is reported "changed since" and nothing is done to it.
CommandEnd deleteListedEntry(SelectionCommandView& view, const FileSystemObject& fs,
                             const std::string& path, bool& gone,
                             const platform::EntryIdentity& identity = {});

// The selected rows of one result list box: the current row alone when no
// more than one is selected, else every selected row from the last to the
// first with the progress caption, a yield and the stop checks after each.
// Rows whose entries are gone afterwards leave the list (a lone selected row
// whose entry had vanished beforehand stays).  Finishing the command
// (caption, CancelAction, showing the box) is the caller's.
CommandEnd deleteSelectedRows(SelectionCommandView& view, const FileSystemObject& fs,
                              DeletableRows& rows);

} // namespace umbrix
