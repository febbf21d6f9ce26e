#pragma once

#include "cli/AttribOutput.h"
#include "journal/JournalLine.h"

#include <cstdint>

namespace umbrix::cli {

// The undo of a journal record that is no attribute write: a move goes
// back, a folder made is removed once empty.  False for any other record.
bool undoMove(const JournalRecord& record, Output& output, int64_t& restored, int64_t& leftAlone);

} // namespace umbrix::cli
