#pragma once

#include <string>

namespace umbrix {

class FrmSeek;

// Points the drive, directory and file lists at Folder and puts FileName
// ("*.*" when empty) into the search box.  A folder that cannot be opened
// falls back to the current directory; Ok then reports false.
void GoToSearchPath(FrmSeek& window, std::string& Folder, std::string& FileName, bool& Ok);

// The search box's Change, KeyPress (Enter) and GotFocus handlers and the
// four option boxes.
void txtSearchSpec_Change(FrmSeek& window);
void txtSearchSpec_Enter(FrmSeek& window);
void connectSearchSpecHandlers(FrmSeek& window);

} // namespace umbrix
