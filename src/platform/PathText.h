#pragma once

#include <string>
#include <string_view>

namespace umbrix {

// File names are bytes; people read text.  The display form keeps valid UTF-8
// as it is and shows every byte that is not part of it, and every control
// character, as "\xNN" so that it stays visible and distinguishable.  Display
// text is for showing, sorting and logging only: no path is ever rebuilt from
// it.
std::string displayText(std::string_view bytes);

// True when `bytes` is valid UTF-8 without control characters, i.e. its
// display text is the bytes themselves.
bool displaysVerbatim(std::string_view bytes);

} // namespace umbrix
