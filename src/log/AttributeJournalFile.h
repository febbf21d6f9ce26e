#pragma once

#include "platform/AttributeJournal.h"
#include "platform/FileDescriptor.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace umbrix {

// One line of a journal: an attribute write that changed an entry.
struct JournalRecord {
    int64_t microseconds = 0; // since the epoch (UTC)
    std::string store;
    std::string path; // bytes, exactly as the write named the entry
    uint32_t before = 0;
    uint32_t after = 0;
};

// "2024-05-01T12:00:00.123456Z"
std::string journalTime(int64_t microseconds);

// One record as a text line (with its "\n"): time, store, the two words and
// the path, tab-separated.  The path keeps valid UTF-8 readable; every other
// byte, control characters, tabs and "\" are written as "\xNN", so the line
// gives back the exact bytes.
std::string journalLine(const JournalRecord& record);
// The record of a line without its "\n"; false for anything else (a
// comment, a line torn by a crash).
bool parseJournalLine(std::string_view line, JournalRecord& record);

// $XDG_DATA_HOME/Umbrix/journal, ~/.local/share/Umbrix/journal without it.
std::string journalFolder();

// The journal files of `folder`, oldest first (their names sort by time).
std::vector<std::string> journalFiles(const std::string& folder);

struct JournalContents {
    std::vector<JournalRecord> records;
    int64_t unreadable = 0; // lines that are neither records nor comments
};
// 0 or the errno of the failure to read `path`.
int readJournal(const std::string& path, JournalContents& contents);

// The journal of one run of the program: one file in `folder`, made when the
// first record is written (a run that changes nothing leaves no file), the
// oldest files beyond the last kKeptRuns removed when it ends.  Records are written
// in batches; flush() hands what is left to the kernel.  No sync: the journal
// is as durable as the attribute writes it records, which are not synced
// either, and a sync would wait for all of those to reach the disk.
//
// A journal that cannot be written is reported once through `report`, and
// its records are kept and written with the next flush that can.  Whatever is
// still unwritten when the object ends goes to a file in the temporary folder
// instead, or, failing that, into the report itself: no record is dropped
// without a word.
class AttributeJournalFile : public platform::AttributeJournal {
public:
    using Reporter = std::function<void(const std::string& message)>;
    static constexpr size_t kKeptRuns = 20;

    AttributeJournalFile(std::string folder, std::string program, Reporter report);
    ~AttributeJournalFile() override;
    AttributeJournalFile(const AttributeJournalFile&) = delete;
    AttributeJournalFile& operator=(const AttributeJournalFile&) = delete;

    void record(platform::StoreKind store, std::string_view path, uint32_t before,
                uint32_t after) override;
    void flush() override;

    // The file of this run; "" until one was made.
    const std::string& path() const { return path_; }
    // Bytes recorded but not yet written.
    size_t pendingBytes() const { return pending_.size(); }

private:
    bool write();
    int open();
    void fail(int err);
    void rotate() const;
    void rescue();

    std::string folder_;
    std::string program_;
    Reporter report_;
    std::string name_;
    std::string path_;
    std::string pending_;
    platform::FileDescriptor fd_;
    bool reported_ = false;
};

} // namespace umbrix
