#pragma once

#include "fileops/FileSystemObject.h"
#include "fileops/SelectionCommand.h"

#include <cstdint>
#include <string>

// The work of the copy command: each chosen entry goes into one target
// folder under its own name, a folder with everything below it, replacing
// files already there; each failure asks whether to retry.  The window asks
// for the folder, picks the entries and tells the user the outcome.
namespace umbrix {

// The folder a person chose, as the copy uses it: ending in "/".
std::string copyTargetFolder(std::string folder);

// Copies `source` to `target`: a folder (attribute set with the directory
// bit) with CopyFolder, anything else, links included, with CopyFile.
void CopyEntry(const FileSystemObject& fs, const std::string& source, const std::string& target,
               int32_t attributeSet);

// What one run of the command has done so far.
struct CopyTally {
    // Some entry was dealt with: copied, or skipped after a failure.
    bool copied = false;
    // Entries whose copy failed and was skipped with No.
    int32_t skipped = 0;
    // The attribute set of the last source read; it decides how an entry
    // whose attributes could not be read is copied.
    int32_t attributeSet = 0;
};

// Copies one entry into `targetFolder` (ending in "/").  Failures ask "Copy
// Error, Retry?" with Yes and No, and Cancel when `offerCancel`.
CommandEnd copyOneEntry(SelectionCommandView& view, const FileSystemObject& fs,
                        const std::string& source, const std::string& targetFolder,
                        bool offerCancel, CopyTally& tally,
                        const platform::EntryIdentity& identity = {});

// Copies the selected rows of one result list box: the current row alone
// when no more than one is selected (without progress), else every selected
// row in order, with the progress caption after each row, selected or not,
// and a yield.  Failures offer Cancel.
CommandEnd copySelectedRows(SelectionCommandView& view, const FileSystemObject& fs,
                            const SelectedRows& rows, const std::string& targetFolder,
                            CopyTally& tally);

} // namespace umbrix
