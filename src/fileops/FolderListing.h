#pragma once

#include <string>
#include <vector>

namespace umbrix::fileops {

// The paths of the entries directly inside `folder`, in the order it lists
// them.  Everything that is not a directory is a file here, links included;
// a directory on which another volume is mounted is in neither list.
std::vector<std::string> filesIn(const std::string& folder);
std::vector<std::string> subFoldersOf(const std::string& folder);

} // namespace umbrix::fileops
