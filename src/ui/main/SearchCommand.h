#pragma once

namespace umbrix {

class FrmSeek;

// The window's idle state (the browser view) and its searching state (the
// results view while the walk runs).
void EnterSearchState(FrmSeek& window);
void LeaveSearchState(FrmSeek& window);

// The results view after a walk that ran to its end or was stopped by Esc,
// with the completion message.
void ShowSearchResults(FrmSeek& window);

// "Found Files:" after rows have left the result list.
void ShowFoundCount(FrmSeek& window);

// The Search/Reset button: runs a whole search from the directory list's
// folder and shows its results, or clears them.
void runSearchCommand(FrmSeek& window);

} // namespace umbrix
