#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The user.DOSATTRIB value that Samba, ksmbd and Wine keep on Linux
// filesystems: either the bare text "0x<hex>" or an NDR-packed record behind
// an ASCII prefix.  Integers are little-endian whatever the host.
namespace umbrix::platform::dosattrib {

inline constexpr const char* XattrName = "user.DOSATTRIB";

// valid_flags of versions 3 to 5.
inline constexpr uint32_t ValidAttrib = 0x1;
inline constexpr uint32_t ValidCreateTime = 0x10;

// Size of the record written where none exists.
inline constexpr size_t FreshSize = 56;

struct Parsed {
    bool text = false;        // the bare "0x<hex>" form
    uint16_t version = 0;     // 1..5 for the binary form
    size_t bodyOffset = 0;    // binary form: where the versioned record starts
    size_t attribOffset = 0;  // binary form: offset of the attrib field
    bool attribValid = false; // false when valid_flags says the attrib field is unused
    uint32_t attrib = 0;
};

// Parses a stored value without allocating.  False when it is none of the
// known forms; such a value is never interpreted or rewritten.
bool parse(std::string_view value, Parsed& parsed);

// `value` (which parsed as `parsed`) with its attrib replaced by `attrib`:
// every other byte of the record is kept, valid_flags gains the attrib bit,
// and the hex prefix (which Wine reads) follows the new value.
std::string withAttrib(std::string_view value, const Parsed& parsed, uint32_t attrib);

// A version 3 record for an entry that has none yet, laid out so that
// Samba, ksmbd and Wine all read it.
std::string fresh(uint32_t attrib, uint64_t createTime);

// Unix time -> NTTIME (100 ns units since 1601).
uint64_t ntTime(int64_t seconds, uint32_t nanoseconds);

} // namespace umbrix::platform::dosattrib
