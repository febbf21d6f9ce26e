#pragma once

#include <string_view>

namespace umbrix {

// File-name patterns with the Windows search rules: "*" matches any run of
// characters, "?" exactly one character, "*.*" every name whether or not it
// has a dot; letters compare without regard to case.  Names are bytes; a
// character is one UTF-8 sequence, or one byte where the name is not UTF-8.
bool wildcardMatch(std::string_view pattern, std::string_view name);

// True when the pattern holds "*" or "?".
bool hasWildcards(std::string_view pattern);

} // namespace umbrix
