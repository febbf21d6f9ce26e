#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace umbrix {

// Letter case is ignored for ASCII letters only: every other byte, UTF-8
// sequences and bytes that are not UTF-8 alike, compares as it is, so two
// names never fold together by a locale's rules.
constexpr char foldAsciiCase(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// How many bytes `a` and `b` start with alike, counted in whole words of 8:
// names in one folder or one result list share long starts, which a
// comparison skips a word at a time this way before it looks at bytes.
inline std::size_t equalWords(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    std::size_t i = 0;
    for (; i + sizeof(uint64_t) <= n; i += sizeof(uint64_t)) {
        uint64_t x;
        uint64_t y;
        std::memcpy(&x, a.data() + i, sizeof x);
        std::memcpy(&y, b.data() + i, sizeof y);
        if (x != y)
            break;
    }
    return i;
}

// <0, 0 or >0 as `a` sorts before, with or after `b` with ASCII case folded,
// bytes compared unsigned (so bytes above ASCII come after it) and a name
// before every longer name it starts.
inline int compareAsciiFolded(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = equalWords(a, b); i < n; ++i) {
        if (a[i] == b[i])
            continue;
        const auto x = static_cast<unsigned char>(foldAsciiCase(a[i]));
        const auto y = static_cast<unsigned char>(foldAsciiCase(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

} // namespace umbrix
