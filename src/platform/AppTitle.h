#pragma once

#include <string_view>

namespace umbrix {

// The program's title: the window caption, every message box's title, the
// settings' application name and the first field of a log line.
inline constexpr std::string_view AppTitle = "Umbrix";

} // namespace umbrix
