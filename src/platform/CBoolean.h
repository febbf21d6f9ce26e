#pragma once

#include <string_view>

namespace umbrix {

// How the program turns stored text into a Boolean: the words for yes and no
// in English and Italian, case-insensitive but not trimmed ("TRUE", "Sì" and
// "Yes" are True, " true" is not), else the number the text starts with,
// where anything but 0 is True.  `text` is UTF-8.
bool CBoolean(std::string_view text);

} // namespace umbrix
