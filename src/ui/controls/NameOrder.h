#pragma once

#include "ui/controls/NameListView.h"

#include <vector>

namespace umbrix {

// Orders rows as a person reads names: by their display text in the user's
// locale, without regard to case, digits by value ("file2" before "file10");
// rows whose texts compare equal fall back to their bytes, so the order never
// depends on the order the folder was read in.
void sortByDisplayText(std::vector<NameRow>::iterator first, std::vector<NameRow>::iterator last);

} // namespace umbrix
