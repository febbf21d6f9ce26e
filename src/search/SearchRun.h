#pragma once

#include "search/SearchState.h"
#include "search/SearchView.h"

#include <string>

namespace umbrix {

// A whole search from the Search button: derives what to look for from the
// typed text, tells the view it begins, walks `folder` and tells the view how
// it ended (results shown, or back to the start after Cancel).  Returns true
// when Cancel or a full result list stopped it.
bool runSearch(SearchView& view, SearchOptions& options, SearchFlags& flags,
               const std::string& folder, const std::string& typedText);

} // namespace umbrix
