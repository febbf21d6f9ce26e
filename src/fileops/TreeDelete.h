#pragma once

#include <string>

namespace umbrix::fileops {

// FileSystemObject::Folder::Delete: the folder and everything inside it,
// each step taken relative to the folder already open above it, never
// following a link and never crossing onto another volume.
void deleteTree(const std::string& path, bool force);

} // namespace umbrix::fileops
