#pragma once

#include <string>
#include <string_view>

namespace umbrix {

// Replaces the environment references in a stored text by their values:
// "%NAME%" as the program's values were always written, and "$NAME" or
// "${NAME}" as a Linux administrator writes them.  A reference to a variable
// that is not set stays as written, so nothing is silently dropped; "%%" and
// a lone "$" are kept too.
std::string expandEnvironmentText(std::string_view text);

} // namespace umbrix
