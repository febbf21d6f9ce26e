#pragma once

#include "platform/EntryReach.h"
#include "platform/Error.h"
#include "search/ScanFailureReport.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace umbrix {

struct SearchTexts;

// What a search needs of the screen.  The walk reports rows, progress and
// failures through it and yields through it; the search command also tells
// it when the search begins and how it ends.  Folder and name are bytes; the
// walk builds no display text except for the log.
class SearchView {
public:
    virtual ~SearchView() = default;

    // Switches to the searching view; `texts` are what the search looks for.
    virtual void beginSearch(const SearchTexts& texts) { (void)texts; }
    // Appends the row folder + name to the result list; `identity` is the
    // entry the walk found there, by which the commands on the row know it
    // again.  May throw Error with ErrorNumber::OutOfMemory when no further
    // row can be kept.
    virtual void FoundFileAdd(const std::string& folder, const std::string& name,
                              const platform::EntryIdentity& identity) = 0;
    // The progress after every examined entry.
    virtual void RefreshResult(const std::string& folder, const std::string& name,
                               int32_t scannedCount) = 0;
    // The log viewer's Log (LogText, ForceView).
    virtual void Log(const std::string& logText, bool forceView) = 0;
    // A failure of the walk at folder + name: the three-line report in the log.
    virtual void reportFailure(std::string_view folder, std::string_view name, const Error& error)
    {
        Log(scanFailureReport(folder, name, error), false);
    }
    virtual bool isMinimized() const = 0;
    virtual void setCaption(const std::string& caption) = 0;
    // The yield to pending window events (DoEvents).
    virtual void DoEvents() = 0;
    // The walk ran to its end or Esc stopped it: show what was found.
    virtual void showResults() {}
    // Cancel stopped the walk: its rows are thrown away.
    virtual void endSearch() {}
};

} // namespace umbrix
