#pragma once

#include "platform/AttributeJournal.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace umbrix {

// The store names of the records that are no attribute write.
inline constexpr std::string_view kMoveRecord = "rename";
inline constexpr std::string_view kFolderMadeRecord = "mkdir";

// One line of a journal: an attribute write that changed an entry, or a
// move (store kMoveRecord, from `path` to `to`), or a folder made
// (kFolderMadeRecord).
struct JournalRecord {
    int64_t microseconds = 0; // since the epoch (UTC)
    std::string store;
    std::string path; // bytes, exactly as the write named the entry
    uint32_t before = 0;
    uint32_t after = 0;
    platform::JournalIdentity identity; // 0 and 0 in journals older than it
    std::string to{};                   // where a move put the entry
};

// "2024-05-01T12:00:00.123456Z"
std::string journalTime(int64_t microseconds);

// One record as a text line (with its "\n"): time, store, the two words,
// device:inode and the path, tab-separated.  The path keeps valid UTF-8
// readable; every other byte, control characters, tabs and "\" are written
// as "\xNN", so the line gives back the exact bytes.
std::string journalLine(const JournalRecord& record);
// A move's line has the path it went to after its path.
void appendJournalLine(std::string& out, int64_t microseconds, std::string_view store,
                       std::string_view path, platform::JournalIdentity identity, uint32_t before,
                       uint32_t after, std::string_view to = {});
// The record of a line without its "\n" (the form without device:inode
// too); false for anything else (a comment, a line torn by a crash).
bool parseJournalLine(std::string_view line, JournalRecord& record);

// The first line of a journal file, which names the run and its start.
std::string journalHeader(std::string_view program, int64_t startMicroseconds);
// The start a header names; false when `line` is none.
bool parseJournalHeader(std::string_view line, int64_t& startMicroseconds);

} // namespace umbrix
