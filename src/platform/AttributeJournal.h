#pragma once

#include "platform/StoreSelector.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace umbrix::platform {

// The inode a record is about, so that an undo touches that inode and no
// other that took its name; 0 and 0 when unknown.
struct JournalIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    bool operator==(const JournalIdentity&) const = default;
};

// Where every attribute write of the process is told about, so that a run can
// be undone: the stores call record() after each write that changed an entry,
// with the word the entry read as before it and reads as after it.  The
// program installs one for its whole run at start-up; nothing is recorded
// while none is installed.
class AttributeJournal {
public:
    virtual ~AttributeJournal() = default;

    // `path` names the entry as the caller named it (bytes).
    virtual void record(StoreKind store, std::string_view path, JournalIdentity identity,
                        uint32_t before, uint32_t after) = 0;
    // The same for a write made by a walk: past its first `rootSize` bytes
    // (the walk's root), `path` names folders the walk entered by name
    // without following a link and wrote through while it held them, so
    // only the root can hold a link.  A journal that names entries as they
    // were named takes it as record().
    virtual void recordWalked(StoreKind store, std::string_view path, size_t rootSize,
                              JournalIdentity identity, uint32_t before, uint32_t after)
    {
        (void)rootSize;
        record(store, path, identity, before, after);
    }
    // An entry moved by rename (the quarantine): `from` and `to` name it
    // before and after, as the caller named them.  A journal that keeps
    // attribute words only (a test's) lets moves pass.
    virtual void recordMove(std::string_view /*from*/, std::string_view /*to*/,
                            JournalIdentity /*identity*/)
    {}
    // A folder the program made to move entries into; undone by removing
    // it once it is empty again.
    virtual void recordFolderMade(std::string_view /*path*/, JournalIdentity /*identity*/) {}
    // Everything recorded so far has been written when this returns, or its
    // failure has been reported.
    virtual void flush() = 0;
};

// The journal of the process, nullptr while none is installed.
AttributeJournal* attributeJournal();

// Installs `journal` (not owned; nullptr removes it) and returns the one it
// replaces.
AttributeJournal* installAttributeJournal(AttributeJournal* journal);

// Flushes the installed journal, if any: the end of every command that
// changes attributes calls it before the command reports its work done.
void flushAttributeJournal();

// The name people know the store by: the xattr's name, or "FAT ioctl".
std::string_view storeName(StoreKind store);

// Installs a journal for the lifetime of the guard (tests, one command).
class ScopedAttributeJournal {
public:
    explicit ScopedAttributeJournal(AttributeJournal& journal)
        : previous_(installAttributeJournal(&journal))
    {}
    ~ScopedAttributeJournal() { installAttributeJournal(previous_); }
    ScopedAttributeJournal(const ScopedAttributeJournal&) = delete;
    ScopedAttributeJournal& operator=(const ScopedAttributeJournal&) = delete;

private:
    AttributeJournal* previous_;
};

} // namespace umbrix::platform
