#pragma once

#include "journal/JournalFolder.h"
#include "journal/JournalLine.h"
#include "platform/AttributeJournal.h"
#include "platform/FileDescriptor.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace umbrix {

// How many journals the clean-up keeps: the newest runs, at most so many and
// at most so large together.
struct JournalLimits {
    size_t runs = 20;
    uint64_t bytes = uint64_t{256} << 20;
};

// The journal of one run of the program: one file in `folder`, made when the
// first record is written (a run that changes nothing leaves no file).  The
// run holds a lock on it for its lifetime, and the clean-up at its end
// removes only journals whose runs have ended, the oldest runs first, down to
// `limits`.  Records are written in batches; flush() hands what is left to
// the kernel.  No sync: the journal is as durable as the attribute writes it
// records, which are not synced either, and a sync would wait for all of
// those to reach the disk.
//
// A journal that cannot be written is reported once through `report`, and
// its records are kept and written with the next flush that can.  Whatever is
// still unwritten when the object ends goes to a file in a folder of the
// user's own elsewhere (openRescueFolder), or, failing that, into the report
// itself: no record is dropped without a word.
class AttributeJournalFile : public platform::AttributeJournal {
public:
    using Reporter = std::function<void(const std::string& message)>;

    AttributeJournalFile(std::string folder, std::string program, Reporter report,
                         JournalLimits limits = {});
    ~AttributeJournalFile() override;
    AttributeJournalFile(const AttributeJournalFile&) = delete;
    AttributeJournalFile& operator=(const AttributeJournalFile&) = delete;

    void record(platform::StoreKind store, std::string_view path,
                platform::JournalIdentity identity, uint32_t before, uint32_t after) override;
    void recordWalked(platform::StoreKind store, std::string_view path, size_t rootSize,
                      platform::JournalIdentity identity, uint32_t before, uint32_t after) override;
    void recordMove(std::string_view from, std::string_view to,
                    platform::JournalIdentity identity) override;
    void recordFolderMade(std::string_view path, platform::JournalIdentity identity) override;
    void flush() override;
    // flush(), and what cannot be written goes where the end would send it:
    // for a process about to end without running its destructors.
    void finish();

    // The file of this run; "" until one was made.
    const std::string& path() const { return path_; }
    // Bytes recorded but not yet written.
    size_t pendingBytes() const { return pending_.size(); }

private:
    bool write();
    std::string open();
    void fail(const std::string& why);
    void rescue();
    const std::string& resolvedFolder(std::string_view folder);
    std::string fullPath(std::string_view path);
    void append(std::string_view store, std::string_view full, platform::JournalIdentity identity,
                uint32_t before, uint32_t after, std::string_view to);

    std::string folder_;
    std::string program_;
    Reporter report_;
    JournalLimits limits_;
    int64_t started_ = 0;
    std::string name_;
    std::string path_;
    std::string pending_;
    platform::FileDescriptor folderFd_;
    platform::FileDescriptor fd_;
    bool reported_ = false;
    // Each folder recorded lately, as named, and with no link in it: a walk
    // records folder after folder below the same few, so each is mostly its
    // parent's form and one name.
    std::unordered_map<std::string, std::string> resolved_;
    // The walk's root of the last walked record, as named and resolved, and
    // that record's path: a walk records thousands below the same root.
    bool walkRootKnown_ = false;
    std::string walkRoot_;
    std::string walkRootResolved_;
    std::string walked_;
};

} // namespace umbrix
