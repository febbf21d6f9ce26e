#pragma once

#include "platform/EntryReach.h"

#include <cstdint>
#include <string>

// The small questions about paths that the scanner, the file commands, the
// result list and the error log ask.  Paths are bytes; "/" is the separator.
// None of them reports a failure except GetEntryAttributes: an existence test
// that cannot look says false.
namespace umbrix {

// True when an entry of that name exists and is not a directory.  Accepts a
// path wrapped in double quotes and a trailing "/".  An entry of that very
// name answers for itself, "*" or "?" in it included; only a last component
// with "*" or "?" that names nothing asks whether the first matching entry
// is not a directory.
bool FileExists(const std::string& path);

// True when a directory of that name exists (the entry itself, not what a
// symbolic link points to).
bool DirExists(const std::string& path);

// The process's current directory, or "" when it cannot be read.
std::string CurrentDirectory();

// The folder the path stands for or lies in: the current directory for a bare
// name, an existing directory unchanged, else the text up to and including
// the last "/".
std::string FolderOfPath(const std::string& path);

// Everything after the last "/" ("" when the path ends in "/"), or the whole
// path when it holds no "/".
std::string FileNameOfPath(const std::string& path);

// The reduced attribute set (0 to 55) of an attribute word as the stores give
// it; 0 for a symbolic link.
int32_t reducedAttributeSet(uint32_t word);

// The reduced attribute set of the entry (read-only 1, hidden 2, system 4,
// directory 16, archive 32; 0 to 55).  A symbolic link yields 0 and sets
// `reparsePoint`, which is never cleared here: the caller resets it before
// each call.  An entry that cannot be queried yields 0 when `quiet`, else
// throws Error{ErrorNumber::AttributeQuery, system text} (or Error{70,
// "Permission denied"} when the system gave no code).  A known `expected` is
// the entry a result row was found as; a path that leads elsewhere now fails
// as ESTALE does ("changed since").
int32_t GetEntryAttributes(const std::string& path, bool quiet, bool& reparsePoint,
                           const platform::EntryIdentity& expected = {});

} // namespace umbrix
