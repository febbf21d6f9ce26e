#pragma once

#include <cstdint>
#include <string>

namespace umbrix::platform {

// Windows attribute bits, as the rest of the program counts them.
namespace Attr {
inline constexpr uint32_t ReadOnly = 0x1;
inline constexpr uint32_t Hidden = 0x2;
inline constexpr uint32_t System = 0x4;
inline constexpr uint32_t Directory = 0x10;
inline constexpr uint32_t Archive = 0x20;
inline constexpr uint32_t Normal = 0x80;
inline constexpr uint32_t ReparsePoint = 0x400;
// The only bits a write ever changes.
inline constexpr uint32_t Writable = ReadOnly | Hidden | System | Archive;
} // namespace Attr

// The attribute word of the entry at `path` (bytes), read from the store of
// its filesystem: read-only, hidden, system and archive from the store (or the
// mode bits), the directory bit from lstat, ReparsePoint for a symbolic link,
// which is never followed.  A stored "normal" (0x80) reads as no bits.
// Returns 0 and fills `word`, or returns the errno of the failure.
int queryAttributes(const std::string& path, uint32_t& word);

// queryAttributes for the entry `name` of the open folder `folderFd`, where
// `path` names the same entry.  The entry is looked up from the folder, not
// along the whole path again, which is what a walk reading a folder's
// entries one after the other wants; stores that can only be reached by path
// use `path`.  When the entry could be looked at but its attributes not read
// (an unreadable stored value), `word` still carries Attr::Directory for a
// directory, so that a walk can enter it and report the failure.
int queryAttributesAt(int folderFd, const char* name, const std::string& path, uint32_t& word);

// storeAttributes for the entry `name` of the open folder `folderFd`, where
// `path` names the same entry.
int storeAttributesAt(int folderFd, const char* name, const std::string& path,
                      uint32_t attributes);

// Read-modify-write of the entry's attributes: only the Attr::Writable bits
// take the values in `attributes`, every other stored bit stays.  Returns 0 or
// the errno of the failure; on failure nothing on disk has changed.
int storeAttributes(const std::string& path, uint32_t attributes);

} // namespace umbrix::platform
