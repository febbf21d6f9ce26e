#pragma once

#include "platform/EntryAccess.h"

#include <cstdint>
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

// user.DOSATTRIB together with the mode bits.  `st` is the entry's statx;
// the store needs its mode, and its birth or change times for a new value.
// The store needs the entry pinned (Entry::pin) for a mode change.
int dosAttribQuery(Entry& entry, const struct statx& st, uint32_t& word);
int dosAttribStore(Entry& entry, const struct statx& st, uint32_t attributes);

// What user.DOSATTRIB alone holds, for a walk that needs neither the mode
// nor a stat: 0 when nothing is stored or the filesystem keeps no user
// xattrs, EBADMSG for a value of no known form.
int dosAttribStoredBits(Entry& entry, uint32_t& stored);

// Takes the hidden bit off a hidden entry that is not a system entry, from
// the value read afresh; the stored form, every other field and the mode
// stay.  An entry that is no longer hidden, or is a system entry by now, is
// left as it is.  `unhiddenFrom` gets the stored attribute bits the value
// held when the hidden bit was taken off, and stays as it was otherwise.
int dosAttribUnhide(Entry& entry, uint32_t& unhiddenFrom);

// The word a stored value reads as: a stored "normal" means no bits, and the
// directory and reparse bits come from the entry's type, not the store.
uint32_t visibleBits(uint32_t stored);

// The stored word after a write of `attributes` over `stored`, where the
// entry reads as `current` now: only the writable bits in which `current`
// and `attributes` differ change, so a bit the store does not hold (read-only
// from the mode) is not written into it.
uint32_t rewrittenBits(uint32_t stored, uint32_t current, uint32_t attributes);

} // namespace umbrix::platform::stores
