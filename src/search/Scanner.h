#pragma once

#include "search/SearchState.h"
#include "search/SearchView.h"

#include <string>

namespace umbrix {

// Everything a walk works with, given by its caller: no walk reads a global,
// so two walks can run side by side.  Paths are bytes with "/" as the
// separator.
struct ScanContext {
    SearchView& view;
    const SearchOptions& options;
    SearchFlags& flags;
};

// Walks Folder, and every folder below it when SearchSubDirs is on,
// subfolders first, so the deepest folders are listed first.  Hidden entries
// that are not system entries lose their hidden attribute on disk; hidden or
// system entries (every entry with ViewAll) whose folder contains
// SearchCriteria go to view.FoundFileAdd.  An empty ParentFolder walks the
// subfolders but lists nothing of Folder itself.  Returns true when stopped
// by Cancel or because the result list could hold no more rows; false when
// the walk ran to its end or Esc stopped it.
//
// The walk cannot be redirected: below Folder every folder is opened relative
// to its open parent without following a link, every entry is read and
// written relative to its open folder, and a folder that is no longer the one
// collected (replaced by a link or another folder) is reported and not
// entered.  Depth is limited by memory only.
bool ScanFolder(const ScanContext& context, const std::string& Folder,
                const std::string& ParentFolder);

// Waits at least Seconds while yielding to the view's events; yields at
// least once.
void Pause(SearchView& view, float Seconds);

} // namespace umbrix
