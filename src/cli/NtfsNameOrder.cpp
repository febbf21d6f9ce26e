#include "cli/NtfsNameOrder.h"

#include "platform/AsciiCase.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <endian.h>

namespace umbrix::cli {
namespace {

// The $UpCase table mkntfs writes, as runs: every `step`th code unit from
// `first` to `last` upper-cases to itself plus `delta`.
struct UpcaseRun {
    uint16_t first;
    uint16_t last;
    int32_t delta;
    uint16_t step;
};

constexpr UpcaseRun kUpcaseRuns[] = {
    {0x0061, 0x007A, -32, 1},   {0x00E0, 0x00F6, -32, 1},    {0x00F8, 0x00FE, -32, 1},
    {0x00FF, 0x00FF, 121, 1},   {0x0101, 0x012F, -1, 2},     {0x0133, 0x0137, -1, 2},
    {0x013A, 0x0148, -1, 2},    {0x014B, 0x0177, -1, 2},     {0x017A, 0x017E, -1, 2},
    {0x0180, 0x0180, 195, 1},   {0x0183, 0x0185, -1, 2},     {0x0188, 0x0188, -1, 1},
    {0x018C, 0x018C, -1, 1},    {0x0192, 0x0192, -1, 1},     {0x0195, 0x0195, 97, 1},
    {0x0199, 0x0199, -1, 1},    {0x019A, 0x019A, 163, 1},    {0x019E, 0x019E, 130, 1},
    {0x01A1, 0x01A5, -1, 2},    {0x01A8, 0x01A8, -1, 1},     {0x01AD, 0x01AD, -1, 1},
    {0x01B0, 0x01B0, -1, 1},    {0x01B4, 0x01B6, -1, 2},     {0x01B9, 0x01B9, -1, 1},
    {0x01BD, 0x01BD, -1, 1},    {0x01BF, 0x01BF, 56, 1},     {0x01C6, 0x01C6, -2, 1},
    {0x01C9, 0x01C9, -2, 1},    {0x01CC, 0x01CC, -2, 1},     {0x01CE, 0x01DC, -1, 2},
    {0x01DD, 0x01DD, -79, 1},   {0x01DF, 0x01EF, -1, 2},     {0x01F3, 0x01F3, -2, 1},
    {0x01F5, 0x01F5, -1, 1},    {0x01F9, 0x021F, -1, 2},     {0x0223, 0x0233, -1, 2},
    {0x023C, 0x023C, -1, 1},    {0x0242, 0x0242, -1, 1},     {0x0247, 0x024F, -1, 2},
    {0x0250, 0x0250, 10783, 1}, {0x0251, 0x0251, 10780, 1},  {0x0253, 0x0253, -210, 1},
    {0x0254, 0x0254, -206, 1},  {0x0256, 0x0257, -205, 1},   {0x0259, 0x0259, -202, 1},
    {0x025B, 0x025B, -203, 1},  {0x0260, 0x0260, -205, 1},   {0x0263, 0x0263, -207, 1},
    {0x0268, 0x0268, -209, 1},  {0x0269, 0x0269, -211, 1},   {0x026B, 0x026B, 10743, 1},
    {0x026F, 0x026F, -211, 1},  {0x0271, 0x0271, 10749, 1},  {0x0272, 0x0272, -213, 1},
    {0x0275, 0x0275, -214, 1},  {0x027D, 0x027D, 10727, 1},  {0x0280, 0x0280, -218, 1},
    {0x0283, 0x0283, -218, 1},  {0x0288, 0x0288, -218, 1},   {0x0289, 0x0289, -69, 1},
    {0x028A, 0x028B, -217, 1},  {0x028C, 0x028C, -71, 1},    {0x0292, 0x0292, -219, 1},
    {0x0371, 0x0373, -1, 2},    {0x0377, 0x0377, -1, 1},     {0x037B, 0x037D, 130, 1},
    {0x03AC, 0x03AC, -38, 1},   {0x03AD, 0x03AF, -37, 1},    {0x03B1, 0x03C1, -32, 1},
    {0x03C3, 0x03CB, -32, 1},   {0x03CC, 0x03CC, -64, 1},    {0x03CD, 0x03CE, -63, 1},
    {0x03D7, 0x03D7, -8, 1},    {0x03D9, 0x03EF, -1, 2},     {0x03F2, 0x03F2, 7, 1},
    {0x03F8, 0x03F8, -1, 1},    {0x03FB, 0x03FB, -1, 1},     {0x0430, 0x044F, -32, 1},
    {0x0450, 0x045F, -80, 1},   {0x0461, 0x0481, -1, 2},     {0x048B, 0x04BF, -1, 2},
    {0x04C2, 0x04CE, -1, 2},    {0x04CF, 0x04CF, -15, 1},    {0x04D1, 0x0523, -1, 2},
    {0x0561, 0x0586, -48, 1},   {0x1D79, 0x1D79, 35332, 1},  {0x1D7D, 0x1D7D, 3814, 1},
    {0x1E01, 0x1E95, -1, 2},    {0x1EA1, 0x1EFF, -1, 2},     {0x1F00, 0x1F07, 8, 1},
    {0x1F10, 0x1F15, 8, 1},     {0x1F20, 0x1F27, 8, 1},      {0x1F30, 0x1F37, 8, 1},
    {0x1F40, 0x1F45, 8, 1},     {0x1F51, 0x1F57, 8, 2},      {0x1F60, 0x1F67, 8, 1},
    {0x1F70, 0x1F71, 74, 1},    {0x1F72, 0x1F75, 86, 1},     {0x1F76, 0x1F77, 100, 1},
    {0x1F78, 0x1F79, 128, 1},   {0x1F7A, 0x1F7B, 112, 1},    {0x1F7C, 0x1F7D, 126, 1},
    {0x1F80, 0x1F87, 8, 1},     {0x1F90, 0x1F97, 8, 1},      {0x1FA0, 0x1FA7, 8, 1},
    {0x1FB0, 0x1FB1, 8, 1},     {0x1FB3, 0x1FB3, 9, 1},      {0x1FC3, 0x1FC3, 9, 1},
    {0x1FD0, 0x1FD1, 8, 1},     {0x1FE0, 0x1FE1, 8, 1},      {0x1FE5, 0x1FE5, 7, 1},
    {0x1FF3, 0x1FF3, 9, 1},     {0x214E, 0x214E, -28, 1},    {0x2170, 0x217F, -16, 1},
    {0x2184, 0x2184, -1, 1},    {0x24D0, 0x24E9, -26, 1},    {0x2C30, 0x2C5E, -48, 1},
    {0x2C61, 0x2C61, -1, 1},    {0x2C65, 0x2C65, -10795, 1}, {0x2C66, 0x2C66, -10792, 1},
    {0x2C68, 0x2C6C, -1, 2},    {0x2C73, 0x2C73, -1, 1},     {0x2C76, 0x2C76, -1, 1},
    {0x2C81, 0x2CE3, -1, 2},    {0x2D00, 0x2D25, -7264, 1},  {0xA641, 0xA65F, -1, 2},
    {0xA663, 0xA66D, -1, 2},    {0xA681, 0xA697, -1, 2},     {0xA723, 0xA72F, -1, 2},
    {0xA733, 0xA76F, -1, 2},    {0xA77A, 0xA77C, -1, 2},     {0xA77F, 0xA787, -1, 2},
    {0xA78C, 0xA78C, -1, 1},    {0xFF41, 0xFF5A, -32, 1},
};

uint16_t upcase(uint16_t unit)
{
    static const std::array<uint16_t, 65536> table = [] {
        std::array<uint16_t, 65536> t{};
        for (uint32_t u = 0; u < t.size(); ++u)
            t[u] = static_cast<uint16_t>(u);
        for (const UpcaseRun& run : kUpcaseRuns)
            for (uint32_t u = run.first; u <= run.last; u += run.step)
                t[u] = static_cast<uint16_t>(static_cast<int32_t>(u) + run.delta);
        return t;
    }();
    return table[unit];
}

// The next code point of valid UTF-8 at `i`, or -1 for bytes that are not.
int32_t decode(std::string_view s, size_t& i)
{
    const auto byte = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
    const uint8_t lead = byte(i);
    if (lead < 0x80)
        return s[i++];
    const int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || i + static_cast<size_t>(length) > s.size())
        return -1;
    int32_t cp = lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        if ((byte(i + static_cast<size_t>(k)) & 0xC0) != 0x80)
            return -1;
        cp = cp << 6 | (byte(i + static_cast<size_t>(k)) & 0x3F);
    }
    const int32_t least = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000))
        return -1;
    i += static_cast<size_t>(length);
    return cp;
}

// The UTF-16 code units of a valid UTF-8 name, one at a time.
class Units {
public:
    Units(std::string_view s, size_t from) : s_(s), i_(from) {}

    bool next(uint16_t& unit)
    {
        if (low_) {
            unit = low_;
            low_ = 0;
            return true;
        }
        if (i_ >= s_.size())
            return false;
        const int32_t cp = decode(s_, i_);
        if (cp < 0x10000) {
            unit = static_cast<uint16_t>(cp);
            return true;
        }
        unit = static_cast<uint16_t>(0xD800 + ((cp - 0x10000) >> 10));
        low_ = static_cast<uint16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        return true;
    }

private:
    std::string_view s_;
    size_t i_;
    uint16_t low_ = 0;
};

constexpr uint8_t upperAscii(uint8_t c)
{
    return c >= 'a' && c <= 'z' ? static_cast<uint8_t>(c - 'a' + 'A') : c;
}

int compareUnits(std::string_view a, std::string_view b, size_t from)
{
    Units x(a, from);
    Units y(b, from);
    for (;;) {
        uint16_t u = 0;
        uint16_t v = 0;
        const bool more = x.next(u);
        if (more != y.next(v))
            return more ? 1 : -1;
        if (!more)
            return 0;
        u = upcase(u);
        v = upcase(v);
        if (u != v)
            return u < v ? -1 : 1;
    }
}

} // namespace

int compareNtfsNames(std::string_view a, std::string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    // The first byte that differs, found from the first word that does; it
    // may lie inside a character: back to that character's start.
    size_t i = equalWords(a, b);
    if (i + sizeof(uint64_t) <= n) {
        uint64_t x;
        uint64_t y;
        std::memcpy(&x, a.data() + i, sizeof x);
        std::memcpy(&y, b.data() + i, sizeof y);
        i += static_cast<size_t>(std::countr_zero(le64toh(x ^ y))) / 8;
    }
    while (i > 0 && i < n && (static_cast<uint8_t>(a[i]) & 0xC0) == 0x80)
        --i;
    int order = 0;
    for (; i < n; ++i) {
        const auto x = static_cast<uint8_t>(a[i]);
        const auto y = static_cast<uint8_t>(b[i]);
        if (x == y && x < 0x80)
            continue;
        if ((x | y) >= 0x80) {
            order = compareUnits(a, b, i);
            break;
        }
        if (upperAscii(x) != upperAscii(y)) {
            order = upperAscii(x) < upperAscii(y) ? -1 : 1;
            break;
        }
    }
    if (i == n && a.size() != b.size())
        order = a.size() < b.size() ? -1 : 1;
    if (order != 0)
        return order;
    return a.compare(b) < 0 ? -1 : a == b ? 0 : 1;
}

bool isUtf8(std::string_view bytes)
{
    for (size_t i = 0; i < bytes.size();) {
        // Most names are ASCII: eight bytes at a time while they are.
        uint64_t word;
        if (i + sizeof word <= bytes.size()) {
            std::memcpy(&word, bytes.data() + i, sizeof word);
            if ((word & 0x8080808080808080u) == 0) {
                i += sizeof word;
                continue;
            }
        }
        if (static_cast<uint8_t>(bytes[i]) < 0x80)
            ++i;
        else if (decode(bytes, i) < 0)
            return false;
    }
    return true;
}

void sortInNtfsOrder(std::vector<std::string>& names)
{
    // Names that are not UTF-8 are rare: the list is split only when one is met.
    auto text = names.end();
    if (!std::all_of(names.begin(), names.end(), [](const std::string& n) { return isUtf8(n); }))
        text = std::stable_partition(names.begin(), names.end(),
                                     [](const std::string& name) { return isUtf8(name); });
    std::sort(names.begin(), text, [](const std::string& a, const std::string& b) {
        return compareNtfsNames(a, b) < 0;
    });
    std::sort(text, names.end(), [](const std::string& a, const std::string& b) {
        if (const int c = compareAsciiFolded(a, b); c != 0)
            return c < 0;
        return a < b;
    });
}

} // namespace umbrix::cli
