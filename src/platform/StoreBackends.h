#pragma once

#include <cstdint>
#include <sys/stat.h>

// The stores behind queryAttributes/storeAttributes.  Each returns 0 or an
// errno; paths are NUL-terminated bytes, never followed when they name a
// symbolic link.
namespace umbrix::platform::stores {

// Stores that keep one attribute word per entry.  `stored` is the word as the
// filesystem has it, normal bit and all.
int fatRead(const char* path, uint32_t& stored);
int fatWrite(const char* path, uint32_t stored);
int xattrWordRead(const char* path, const char* name, uint32_t& stored);
int xattrWordWrite(const char* path, const char* name, uint32_t stored);

// user.DOSATTRIB together with the mode bits.  `st` is the entry's statx;
// the store needs its mode, and its birth or change times for a new value.
int dosAttribQuery(const char* path, const struct statx& st, uint32_t& word);
int dosAttribStore(const char* path, const struct statx& st, uint32_t attributes);

// The word a stored value reads as: a stored "normal" means no bits, and the
// directory and reparse bits come from the entry's type, not the store.
uint32_t visibleBits(uint32_t stored);

// The stored word after a write of `attributes` over `stored`.
uint32_t mergedBits(uint32_t stored, uint32_t attributes);

} // namespace umbrix::platform::stores
