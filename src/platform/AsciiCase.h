#pragma once

namespace umbrix {

// Letter case is ignored for ASCII letters only: every other byte, UTF-8
// sequences and bytes that are not UTF-8 alike, compares as it is, so two
// names never fold together by a locale's rules.
constexpr char foldAsciiCase(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace umbrix
