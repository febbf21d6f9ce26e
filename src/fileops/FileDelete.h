#pragma once

#include "platform/EntryReach.h"

#include <string>

namespace umbrix::fileops {

// Whether the attribute stores call the entry `name` of the folder
// `folderFd` read-only; `path` names the same entry.
bool isReadOnly(int folderFd, const char* name, const std::string& path);

// Unlinks the entry `name` of the folder `folderFd` (AT_FDCWD for a whole
// path), `path` naming the same entry for the attribute stores.  With
// `force`, a refusal is answered the way a forced delete is on Windows: the
// read-only attribute comes off and the unlink is tried once more, since
// stores that keep it apart from the mode bits (SMB servers) can refuse until
// then.  0 or the errno.
int unlinkEntry(int folderFd, const char* name, const std::string& path, bool force);

// Removes the empty folder `name` of the folder `folderFd`; 0 or the errno.
int removeEmptyFolder(int folderFd, const char* name, const std::string& path);

// FileSystemObject::File::Delete of an entry found in the open folder
// `folderFd`: the same checks and failures as deleteFile, the entry looked
// up from that folder, so a link put in place of the folder meanwhile
// cannot redirect it.  A known `expected` that the entry no longer is fails
// with ESTALE ("changed since").
void deleteFileAt(int folderFd, const std::string& name, const std::string& path, bool force,
                  const platform::EntryIdentity& expected = {});

// FileSystemObject::File::Delete.
void deleteFile(const std::string& path, bool force);

} // namespace umbrix::fileops
