#pragma once

#include "search/ScanHost.h"

#include <cstdint>
#include <string>
#include <vector>

namespace umbrix {

// The walk behind a search.  It reads and writes the search state of app():
// the options and texts it obeys, ScannedCount, and the two stop requests
// (Searching cleared: stop and discard; CancelSearch set: stop and keep).
// Paths are bytes with "/" as the separator.

// Walks Folder, and every folder below it when SearchSubDirs is on,
// subfolders first, so the deepest folders are listed first.  Hidden entries
// that are not system entries lose their hidden attribute on disk; hidden or
// system entries (every entry with ViewAll) whose folder contains
// SearchCriteria go to host.FoundFileAdd.  An empty ParentFolder walks the
// subfolders but lists nothing of Folder itself.  Returns true when stopped
// by Cancel or because the result list could hold no more rows; false when
// the walk ran to its end or Esc stopped it.
bool ScanFolder(ScanHost& host, const std::string& Folder, const std::string& ParentFolder);

// Fills SubFolders with the full paths of Folder's subdirectories (symbolic
// links excluded), in the order the filesystem gives them, and returns their
// number; 0 when the enumeration failed or a stop request interrupted it.
// Counts every entry it reads in ScannedCount, "." and ".." included.
int32_t GetSubFolders(ScanHost& host, const std::string& Folder,
                      std::vector<std::string>& SubFolders);

// Waits at least Seconds while yielding to the host's events; yields at
// least once.
void Pause(ScanHost& host, float Seconds);

} // namespace umbrix
