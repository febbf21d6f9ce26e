#pragma once

#include <string>
#include <string_view>

namespace umbrix {

// The search box holds a file-name pattern, optionally preceded by a folder
// or part of one.  These are the text rules that turn it into places and
// patterns; "/" is the separator.

// A folder text that names its place on its own ("/data", "//server/share").
// Any other folder text is taken from the root, not from the current
// directory.
bool isAbsoluteFolder(std::string_view folder);

// Splits a typed search text into its folder part (the result, "" when
// there is none) and its file-name part (FileName).  A search text that
// matches an ordinary file (neither hidden, system, a directory nor a link)
// splits at its last "/"; one that names a directory is all folder; anything
// else is all file name.  A relative folder part is put below "/".  Never
// fails: a path that cannot be examined gives "" and the whole text.
std::string SplitPathSpec(const std::string& Text, std::string& FileName);

// What a search looks for, derived from the search box's text.
struct SearchTexts {
    std::string SearchPattern;  // enumerates each folder
    std::string SearchCriteria; // a folder's path must contain it; "" = any
};

SearchTexts deriveSearchTexts(const std::string& text);

} // namespace umbrix
