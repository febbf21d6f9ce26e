#pragma once

#include "cli/AttribArguments.h"
#include "cli/AttribOutput.h"

#include <string>

namespace umbrix::cli {

// Puts back the earlier word of every change of a journal (the newest one in
// `journalFolder` without arguments.paths) whose entry still reads as the
// later word, newest change first; entries changed since are left alone and
// named.
void runUndo(const AttribArguments& arguments, const std::string& journalFolder, Output& output);

} // namespace umbrix::cli
