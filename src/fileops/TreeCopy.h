#pragma once

#include <string>

namespace umbrix::fileops {

// FileSystemObject::CopyFolder: the folder and everything below it, merged
// into an existing target folder, never following a link and never into the
// source itself.
void copyTree(const std::string& source, const std::string& destination, bool overwrite);

} // namespace umbrix::fileops
