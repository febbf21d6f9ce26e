#include "platform/PathText.h"

#include <cstdint>
#include <cstring>

namespace umbrix {
namespace {

// Length of the valid UTF-8 sequence starting at s[i] (1-4), 0 when invalid.
size_t utf8SequenceLength(std::string_view s, size_t i)
{
    const auto byte = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
    const uint8_t b0 = byte(i);
    if (b0 < 0x80)
        return 1;
    size_t len;
    uint32_t cp;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2;
        cp = b0 & 0x1Fu;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        cp = b0 & 0x0Fu;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        cp = b0 & 0x07u;
    } else {
        return 0;
    }
    if (i + len > s.size())
        return 0;
    for (size_t k = 1; k < len; ++k) {
        const uint8_t b = byte(i + k);
        if ((b & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b & 0x3Fu);
    }
    const bool overlong = (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000);
    const bool surrogate = cp >= 0xD800 && cp <= 0xDFFF;
    if (overlong || surrogate || cp > 0x10FFFF)
        return 0;
    return len;
}

bool isControl(uint8_t b)
{
    return b < 0x20 || b == 0x7F;
}

} // namespace

bool displaysVerbatim(std::string_view bytes)
{
    // Nearly every name is printable ASCII, which is checked eight bytes at
    // a time; the first word that may hold anything else is read byte by byte
    // from its start.  Each test below is exact about whether such a byte
    // exists, which is all that matters here.
    constexpr uint64_t ones = 0x0101010101010101u;
    constexpr uint64_t highs = ones * 0x80;
    size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        uint64_t w;
        std::memcpy(&w, bytes.data() + i, sizeof w);
        const uint64_t del = w ^ (ones * 0x7F);
        const uint64_t below20 = (w - ones * 0x20) & ~w & highs;
        const uint64_t is7F = (del - ones) & ~del & highs;
        if (((w & highs) | below20 | is7F) != 0)
            break;
    }
    while (i < bytes.size()) {
        const size_t len = utf8SequenceLength(bytes, i);
        if (len == 0 || (len == 1 && isControl(static_cast<uint8_t>(bytes[i]))))
            return false;
        i += len;
    }
    return true;
}

std::string displayText(std::string_view bytes)
{
    if (displaysVerbatim(bytes))
        return std::string(bytes);
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() + 8);
    for (size_t i = 0; i < bytes.size();) {
        const size_t len = utf8SequenceLength(bytes, i);
        const auto b = static_cast<uint8_t>(bytes[i]);
        if (len == 0 || (len == 1 && isControl(b))) {
            out += "\\x";
            out += hex[b >> 4];
            out += hex[b & 0xF];
            ++i;
        } else {
            out.append(bytes.substr(i, len));
            i += len;
        }
    }
    return out;
}

} // namespace umbrix
