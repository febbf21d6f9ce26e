#pragma once

#include <string_view>

namespace umbrix {

// True when `criteria` is empty or occurs in the folder text, letters compared
// without regard to case.  The folder is matched by its display text, the
// form the person sees in the lists and types back into the search box, so a
// name that is not valid UTF-8 matches the "\xNN" they can read.  Case is
// folded for ASCII letters only, as the file-name patterns do.
bool folderContainsCriteria(std::string_view folder, std::string_view criteria);

} // namespace umbrix
