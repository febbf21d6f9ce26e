#include "platform/Wildcard.h"

#include "platform/AsciiCase.h"

#include <cstdint>

namespace umbrix {
namespace {

// Bytes of the character starting at name[i]: a whole UTF-8 sequence when
// one starts there, else the single byte.
size_t characterLength(std::string_view name, size_t i)
{
    const auto b0 = static_cast<uint8_t>(name[i]);
    size_t len = b0 < 0x80 ? 1 : b0 >= 0xF0 ? 4 : b0 >= 0xE0 ? 3 : b0 >= 0xC0 ? 2 : 1;
    if (i + len > name.size())
        return 1;
    for (size_t k = 1; k < len; ++k)
        if ((static_cast<uint8_t>(name[i + k]) & 0xC0) != 0x80)
            return 1;
    return len;
}

} // namespace

bool hasWildcards(std::string_view pattern)
{
    return pattern.find_first_of("*?") != std::string_view::npos;
}

bool wildcardMatch(std::string_view pattern, std::string_view name)
{
    if (pattern == "*.*" || pattern == "*")
        return true;

    // Iterative matching with one backtrack point for the last "*": linear
    // in practice and never recursive, whatever the pattern.
    size_t p = 0, n = 0;
    size_t starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            n += characterLength(name, n);
        } else if (p < pattern.size() && foldAsciiCase(pattern[p]) == foldAsciiCase(name[n])) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            starN += characterLength(name, starN);
            n = starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

} // namespace umbrix
