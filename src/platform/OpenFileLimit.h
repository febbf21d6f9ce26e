#pragma once

namespace umbrix::platform {

// Raises the process's limit of open descriptors to the most it may have.
// A delete holds one descriptor for every level of the tree it empties, and
// the usual limit of 1 024 is met by trees of about that depth.
void raiseOpenFileLimit();

// Whether a failure's errno means the process or the system has no
// descriptor left: no retry helps until something is closed.
bool outOfDescriptors(int err);

} // namespace umbrix::platform
