#pragma once

#include "platform/AttributeStore.h"
#include "platform/DosAttribCodec.h"
#include "platform/EntryAccess.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <sys/stat.h>

// The stores behind queryAttributesAt/storeAttributesAt.  Each returns 0 or
// an errno and reaches the entry only through `entry`, which never follows a
// link.
namespace umbrix::platform::stores {

// Stores that keep one attribute word per entry.  `stored` is the word as the
// filesystem has it, normal bit and all.
int fatRead(const Entry& entry, uint32_t& stored);
int fatWrite(const Entry& entry, uint32_t stored);
int xattrWordRead(Entry& entry, const char* name, uint32_t& stored);
int xattrWordWrite(Entry& entry, const char* name, uint32_t stored);

// user.DOSATTRIB, read-only included: the mode is neither read nor written
// for it, as smbd keeps it.  `st` is the entry's statx: its type, and its
// birth or change times for a new value.  Only a filesystem that keeps no
// user xattrs at all reads read-only from the mode.
int dosAttribQuery(Entry& entry, const struct statx& st, uint32_t& word);
int dosAttribStore(Entry& entry, const struct statx& st, uint32_t attributes);

// The raw value of user.DOSATTRIB.  `data` points into the inline buffer or,
// for an oversized value, into `spill`.
struct StoredValue {
    // Large enough for every value Samba writes except a version 2 record
    // with a long name, which takes the slow path.
    static constexpr size_t InlineSize = 256;

    StoredValue() = default;
    StoredValue(const StoredValue&) = delete;
    StoredValue& operator=(const StoredValue&) = delete;

    char inlineBuffer[InlineSize];
    std::string spill;
    std::string_view data;
    bool present = false;
};

// user.DOSATTRIB read once, for a caller that reads an entry's word and then
// writes another over the same read: dosAttribQuery and dosAttribStore in
// two steps.
class DosAttribValue {
public:
    // 0, ENOTSUP where the filesystem keeps no user xattrs, EBADMSG for a
    // value of no known form, or the read's errno.
    int read(Entry& entry);
    // The word the entry reads as; `st` is its statx.
    uint32_t word(const struct statx& st) const;
    // Writes `attributes` over the value read: its form and every other field
    // stay.
    int write(Entry& entry, const struct statx& st, uint32_t attributes) const;

private:
    StoredValue value_;
    dosattrib::Parsed parsed_;
    uint32_t stored_ = 0;
    bool noStore_ = false;
};

// What user.DOSATTRIB alone holds, for a walk that needs neither the mode
// nor a stat: 0 when nothing is stored or the filesystem keeps no user
// xattrs, EBADMSG for a value of no known form.
int dosAttribStoredBits(Entry& entry, uint32_t& stored);

// Takes the hidden bit off a hidden entry that is not a system entry, from
// the value read afresh; the stored form, every other field and the mode
// stay.  An entry that is no longer hidden, or is a system entry by now, is
// left as it is.  `stored` gets the bits the value held as it was read
// (visibleBits, 0 when nothing is stored), whether or not it was rewritten.
int dosAttribUnhide(Entry& entry, uint32_t& stored);

// The word a stored value reads as: a stored "normal" means no bits, and the
// directory and reparse bits come from the entry's type, not the store.
uint32_t visibleBits(uint32_t stored);

// The stored word after a write of `attributes` over `stored`: the writable
// bits are those of `attributes`, every other stored bit stays.
uint32_t rewrittenBits(uint32_t stored, uint32_t attributes);

} // namespace umbrix::platform::stores
