#pragma once

#include "cli/AttribArguments.h"
#include "cli/AttribOutput.h"

namespace umbrix::cli {

// attrib itself: lists, or with changes rewrites, the entries the paths and
// patterns of `arguments` name.  Failures go to `output`.
void runAttrib(const AttribArguments& arguments, Output& output);

// `path` made absolute against the current folder, as text only: nothing
// is resolved, so a link in it stays what the person named.
std::string absolutePath(const std::string& path);

} // namespace umbrix::cli
