#pragma once

#include <string>
#include <vector>

namespace umbrix::fileops {

// The names of the entries directly inside the open folder `folderFd`, in
// the order it lists them; `path` names the folder in messages.  Everything
// that is not a directory is a file here, links included; a directory on
// which another volume is mounted is in neither list.
std::vector<std::string> fileNamesIn(int folderFd, const std::string& path);
std::vector<std::string> subFolderNamesOf(int folderFd, const std::string& path);

} // namespace umbrix::fileops
