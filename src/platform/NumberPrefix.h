#pragma once

#include <string_view>

namespace umbrix {

// The number written at the start of `text`: leading blanks (space, tab, CR,
// LF) skipped, then an optional sign, digits, an optional decimal point with
// digits and an optional exponent ("e" or "E", optional sign, digits).
// Reading stops at the first character that cannot continue the number;
// "2abc" is 2, "1e" is 1.  No number at all gives 0.  The decimal point is
// always ".", whatever the locale.  A value too large for a double gives
// +/-infinity, one too small gives 0.
double readNumberPrefix(std::string_view text);

} // namespace umbrix
