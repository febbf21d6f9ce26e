#pragma once

#include "platform/FileDescriptor.h"

#include <string>

namespace umbrix::platform {

// Opens the folder that holds the last component of `path` (absolute, or
// relative to the current folder), one component at a time from the top,
// never through a symbolic link: a link anywhere above the entry gives
// ELOOP or ENOTDIR, never the folder it leads to.  `name` gets the last
// component, which is not looked at.  0 or an errno.
int openHoldingFolder(const std::string& path, FileDescriptor& folder, std::string& name);

} // namespace umbrix::platform
