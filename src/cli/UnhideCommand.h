#pragma once

#include "cli/AttribArguments.h"
#include "cli/AttribOutput.h"

namespace umbrix::cli {

// The window's search without the window: the same walk and rule over
// arguments.paths[0] and everything below it (hidden entries that are not
// system entries are unhidden; every hidden or system entry is listed).
void runUnhide(const AttribArguments& arguments, Output& output);

} // namespace umbrix::cli
