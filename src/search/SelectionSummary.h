#pragma once

#include "fileops/AttributeChange.h"
#include "fileops/SelectionCommand.h"

#include <array>
#include <cstdint>
#include <string>

namespace umbrix {

// Whether the selected entries have an attribute: none of them, all of them,
// or only some (the value of the attribute panel's box is the absolute value:
// 0 unchecked, 1 checked, 2 grayed).
namespace SummaryState {
inline constexpr int32_t None = 0;
inline constexpr int32_t All = -1;
inline constexpr int32_t Mixed = 2;
} // namespace SummaryState

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

// Reads the attributes of every selected row of `rows` into `summary`, with
// the progress caption, a yield and the stop checks after every row, selected
// or not.  Stops early once every state is mixed.
CommandEnd summarizeSelection(SelectionCommandView& view, const SelectedRows& rows,
                              SelectionSummary& summary);

} // namespace umbrix
