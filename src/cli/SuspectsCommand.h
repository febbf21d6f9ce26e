#pragma once

#include "cli/AttribArguments.h"

namespace umbrix::cli {

// --suspects FOLDER: lists what a shortcut virus left below FOLDER, with
// the reason for each; with --quarantine, moves the sure ones into the
// quarantine folder at FOLDER's top (an undo puts them back).
void runSuspects(const AttribArguments& arguments, Output& output);

} // namespace umbrix::cli
