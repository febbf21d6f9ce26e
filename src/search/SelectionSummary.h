#pragma once

#include "fileops/SelectionCommand.h"

#include <array>
#include <cstdint>
#include <string>

namespace umbrix {

// True when the entry has the attribute; false when it has not or cannot be
// read.
bool IsReadOnly(const std::string& path);
bool IsHidden(const std::string& path);
bool IsSystem(const std::string& path);
bool IsArchive(const std::string& path);
bool IsDirectory(const std::string& path);

// Whether the selected entries have an attribute: none of them, all of them,
// or only some (the value of the attribute panel's box is the absolute value:
// 0 unchecked, 1 checked, 2 grayed).
namespace SummaryState {
inline constexpr int32_t None = 0;
inline constexpr int32_t All = -1;
inline constexpr int32_t Mixed = 2;
} // namespace SummaryState

// The attributes of the summary, in the order of the panel's boxes:
// read-only, hidden, system, archive, directory.
inline constexpr std::array<uint32_t, 5> SummaryBits = {0x1, 0x2, 0x4, 0x20, 0x10};

// The tri-state summary of a selection, one entry at a time.
class SelectionSummary {
public:
    // Takes in the next selected entry's reduced attribute set (0 for one
    // that cannot be read).  True when every state is mixed: no further entry
    // can change anything.
    bool add(int32_t attributes);
    bool allMixed() const;
    const std::array<int32_t, 5>& states() const { return states_; }

private:
    std::array<int32_t, 5> states_{};
    bool first_ = true;
};

enum class SummaryEnd {
    Complete,  // every row seen, or every state mixed
    Cancelled, // CancelAction was seen: the panel is not to be touched
    Closing    // the program is shutting down
};

// Reads the attributes of every selected row of `rows` into `summary`, with
// the progress caption, a yield and the stop checks after every row, selected
// or not.  Stops early once every state is mixed.
SummaryEnd summarizeSelection(SelectionCommandView& view, const SelectedRows& rows,
                              SelectionSummary& summary);

} // namespace umbrix
