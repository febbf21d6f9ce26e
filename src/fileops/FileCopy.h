#pragma once

#include <string>
#include <sys/stat.h>

namespace umbrix::fileops {

// The path a copy of `source` goes to: a destination ending in "/" is the
// folder to copy into under the source's name.  Without trailing "/".
std::string copyTargetPath(const std::string& source, const std::string& destination);

// Copies the entry `sourceName` of the folder `sourceFolder`, which is not a
// directory and which fstatat() described as `source`, to `targetName` in
// `targetFolder`: a file with its data, mode, modification time, user.*
// extended attributes and DOS attributes; a link as the link it is; a FIFO,
// socket or device made anew; an existing target replaced as
// FileSystemObject::CopyFile replaces it.  The labels name the two entries in error descriptions;
// an empty one leaves that to the caller's message.
void copyEntry(int sourceFolder, const char* sourceName, const struct stat& source,
               const std::string& sourceLabel, int targetFolder, const char* targetName,
               const std::string& targetLabel, bool overwrite);

// FileSystemObject::CopyFile.
void copyFile(const std::string& source, const std::string& destination, bool overwrite);

} // namespace umbrix::fileops
