#pragma once

#include "fileops/SelectionCommand.h"
#include "platform/AttributeStore.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// The one place where the program changes the read-only, hidden, system and
// archive attributes of entries.  Attribute indexes: 0 read-only, 1 hidden,
// 2 system, 3 archive (the order of the attribute panel's boxes and of the
// remove-attribute menu items); any other index selects no bit.
namespace umbrix {

namespace AttributeAction {
inline constexpr int16_t Clear = 0;
inline constexpr int16_t Set = 1;
} // namespace AttributeAction

// The bit of each of the attribute panel's boxes, in their order; the last,
// the directory box, only shows.
inline constexpr std::array<uint32_t, 5> AttributeBoxBits = {
    platform::Attr::ReadOnly, platform::Attr::Hidden, platform::Attr::System,
    platform::Attr::Archive, platform::Attr::Directory};

// The attribute bit of an index, 0 outside 0 to 3.
uint32_t attributeIndexBit(int16_t index);

// The word ChangeAttribute writes for an entry whose attribute word is
// `word`, or nothing when it writes nothing (the word would not change, or
// the action is neither Clear nor Set).  Never carries the directory bit.
std::optional<uint32_t> changedAttributeWord(uint32_t word, int16_t index, int16_t action);

// Writes `Attrib` as the entry's attributes; on failure asks whether to
// retry (Yes again, No gives up, Cancel gives up and sets CancelAction).
// With FlagCheck the attribute panel shows the entry after the write.
bool SetAttribute(SelectionCommandView& view, const std::string& File, uint32_t Attrib,
                  bool FlagCheck = false, const platform::EntryIdentity& identity = {});

// Sets or clears one attribute of one entry.  True when a new word was
// written.  An entry that cannot be read gives false, with a message unless
// `quiet`.  A known `identity` is the entry the row was found as: a path
// that leads elsewhere now is reported "changed since" and left alone.
bool ChangeAttribute(SelectionCommandView& view, const std::string& path, int16_t index,
                     int16_t action, bool quiet, const platform::EntryIdentity& identity = {});

// Clears read-only, hidden and system (those the entry has) before the entry
// is deleted.  The result of the last change made; false when none was.
bool ResetAttributes(SelectionCommandView& view, const std::string& path,
                     const platform::EntryIdentity& identity = {});

// How a walk through a selection ended.
// Clears attribute `index` from the selected rows of `rows` (the selected
// row alone, when no more than one is selected), with the progress caption,
// a yield and the two stop checks after every row.  Finishing the command
// (caption, CancelAction, the panel's box) is the caller's.
CommandEnd RemoveAttributeFromSelection(SelectionCommandView& view, const SelectedRows& rows,
                                        int16_t index);

// The attribute panel's box command on one result list box: sets (or clears)
// attribute `index` on every selected row quietly, and `changed` becomes true
// when a word was written.  Several selected rows are walked with the
// progress caption, a yield and the stop checks after each row.  A failure
// that is not the entry's own (reading the list) asks whether to retry; the
// box has a Cancel button when `offerCancel`, and Cancel abandons the command.
CommandEnd changeSelectedRows(SelectionCommandView& view, const SelectedRows& rows, int16_t index,
                              int16_t action, bool offerCancel, bool& changed);

} // namespace umbrix
