#include "search/SearchRun.h"

#include "platform/AttributeJournal.h"
#include "search/Scanner.h"
#include "search/SearchCriteria.h"

namespace umbrix {

bool runSearch(SearchView& view, SearchOptions& options, SearchFlags& flags,
               const std::string& folder, const std::string& typedText)
{
    const SearchTexts texts = deriveSearchTexts(typedText);
    view.beginSearch(texts);
    options.SearchPattern = texts.SearchPattern;
    options.SearchCriteria = texts.SearchCriteria;

    flags.ScannedCount = 0;
    const bool stopped = ScanFolder(ScanContext{view, options, flags}, folder, folder);
    // What the walk unhid is journalled before the window tells its end.
    platform::flushAttributeJournal();
    if (stopped) {
        view.endSearch();
        flags.CancelSearch = false;
        flags.Searching = false;
    } else {
        view.showResults();
    }
    return stopped;
}

} // namespace umbrix
