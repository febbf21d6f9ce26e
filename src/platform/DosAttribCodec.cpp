#include "platform/DosAttribCodec.h"

namespace umbrix::platform::dosattrib {
namespace {

constexpr uint64_t SecondsFrom1601To1970 = 11644473600ULL;

uint32_t readU32(std::string_view bytes, size_t offset)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + offset;
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

uint16_t readU16(std::string_view bytes, size_t offset)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + offset;
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

void writeLittleEndian(std::string& bytes, size_t offset, uint64_t value, size_t width)
{
    for (size_t i = 0; i < width; ++i)
        bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// "0x" followed by at least one hex digit and nothing else; the value must
// fit the 32-bit word (leading zeros are allowed, Umbrix pads with them).
bool parseHex(std::string_view text, uint32_t* value)
{
    if (text.size() < 3 || text[0] != '0' || text[1] != 'x')
        return false;
    uint64_t result = 0;
    for (size_t i = 2; i < text.size(); ++i) {
        const char c = text[i];
        if (!isHexDigit(c))
            return false;
        const unsigned digit = c <= '9' ? unsigned(c - '0') : unsigned((c | 0x20) - 'a' + 10);
        result = result << 4 | digit;
        if (result > 0xFFFFFFFFULL)
            return false;
    }
    if (value)
        *value = static_cast<uint32_t>(result);
    return true;
}

size_t hexDigitsOf(uint32_t value)
{
    size_t digits = 1;
    while (value >>= 4)
        ++digits;
    return digits;
}

// "0x" and `width` zero-padded hex digits.
void appendHex(std::string& out, uint32_t value, size_t width)
{
    static constexpr char digits[] = "0123456789abcdef";
    out += "0x";
    for (size_t i = width; i-- > 0;)
        out += i < 8 ? digits[(value >> (4 * i)) & 0xF] : '0';
}

// ksmbd reads the level and its padding as one 32-bit field, which only works
// when the prefix with its NUL takes 5, 9 or 13 bytes.
size_t freshPrefixWidth(uint32_t attrib)
{
    const size_t needed = hexDigitsOf(attrib);
    return needed <= 2 ? 2 : needed <= 6 ? 6 : 10;
}

size_t alignUp(size_t offset, size_t alignment)
{
    return (offset + alignment - 1) / alignment * alignment;
}

// Prefix, NUL, version and level with their NDR padding; the body follows.
std::string header(uint32_t prefixValue, size_t prefixWidth, uint16_t version)
{
    std::string out;
    if (prefixWidth > 0)
        appendHex(out, prefixValue, prefixWidth);
    out += '\0';
    out.resize(alignUp(out.size(), 2), '\0');
    const size_t at = out.size();
    out.resize(at + 4);
    writeLittleEndian(out, at, version, 2);
    writeLittleEndian(out, at + 2, version, 2);
    out.resize(alignUp(out.size(), 4), '\0');
    return out;
}

size_t minimumBody(uint16_t version)
{
    switch (version) {
    case 1:
        return 40;
    case 2:
        return 52; // and a NUL-terminated name after it
    case 3:
        return 44;
    case 4:
        return 24;
    case 5:
        return 16;
    default:
        return 0;
    }
}

} // namespace

bool parse(std::string_view value, Parsed& parsed)
{
    parsed = Parsed{};
    const size_t nul = value.find('\0');

    if (nul == std::string_view::npos || nul + 1 == value.size()) {
        parsed.text = true;
        parsed.attribValid = true;
        return parseHex(value.substr(0, nul), &parsed.attrib);
    }

    if (nul != 0 && !parseHex(value.substr(0, nul), nullptr))
        return false;
    size_t offset = alignUp(nul + 1, 2);
    if (offset + 4 > value.size())
        return false;
    const uint16_t version = readU16(value, offset);
    if (minimumBody(version) == 0 || readU16(value, offset + 2) != version)
        return false;
    offset = alignUp(offset + 4, 4);
    if (offset + minimumBody(version) > value.size())
        return false;
    if (version == 2 && value.find('\0', offset + minimumBody(version)) == std::string_view::npos)
        return false;

    parsed.version = version;
    parsed.bodyOffset = offset;
    parsed.attribOffset = version == 1 ? offset : offset + 4;
    parsed.attrib = readU32(value, parsed.attribOffset);
    parsed.attribValid = version < 3 || (readU32(value, offset) & ValidAttrib) != 0;
    return true;
}

std::string withAttrib(std::string_view value, const Parsed& parsed, uint32_t attrib)
{
    if (parsed.text) {
        std::string out;
        appendHex(out, attrib, hexDigitsOf(attrib));
        if (value.back() == '\0')
            out += '\0';
        return out;
    }

    const size_t nul = value.find('\0');
    std::string out;
    size_t attribOffset = parsed.attribOffset;
    if (nul == 0 || hexDigitsOf(attrib) <= nul - 2) {
        out.assign(value);
        if (nul > 0) {
            std::string prefix;
            appendHex(prefix, attrib, nul - 2);
            out.replace(0, nul, prefix);
        }
    } else {
        // The new value needs a longer prefix: lay the header out again and
        // keep the record itself byte for byte.
        out = header(attrib, freshPrefixWidth(attrib), parsed.version);
        attribOffset = out.size() + (parsed.attribOffset - parsed.bodyOffset);
        out.append(value.substr(parsed.bodyOffset));
    }

    writeLittleEndian(out, attribOffset, attrib, 4);
    if (parsed.version >= 3) {
        const size_t flagsOffset = attribOffset - 4;
        writeLittleEndian(out, flagsOffset, readU32(out, flagsOffset) | ValidAttrib, 4);
    }
    return out;
}

std::string fresh(uint32_t attrib, uint64_t createTime)
{
    std::string out = header(attrib, freshPrefixWidth(attrib), 3);
    const size_t body = out.size();
    out.resize(body + 44, '\0');
    writeLittleEndian(out, body, ValidAttrib | ValidCreateTime, 4);
    writeLittleEndian(out, body + 4, attrib, 4);
    writeLittleEndian(out, body + 28, createTime, 8);
    return out;
}

uint64_t ntTime(int64_t seconds, uint32_t nanoseconds)
{
    const int64_t since1601 = seconds + static_cast<int64_t>(SecondsFrom1601To1970);
    if (since1601 < 0)
        return 0;
    return static_cast<uint64_t>(since1601) * 10000000ULL + nanoseconds / 100;
}

} // namespace umbrix::platform::dosattrib
