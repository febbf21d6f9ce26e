#pragma once

#include <string>

class QWidget;

namespace umbrix {

class LogViewer;

// The one log viewer of the program.  Start-up loads it hidden after the
// main window is shown; it lives until unloadLogViewer (the orderly exit),
// or until the event loop ends, whichever comes first.

// Creates the viewer hidden when there is none yet, and tells it which window
// "Iconize" minimizes (null: none).
LogViewer& loadLogViewer(QWidget* mainWindow = nullptr);

// The viewer, or null before it is loaded and after it is unloaded.
LogViewer* logViewer();

// Stores the viewer's place and destroys it.
void unloadLogViewer();

// For the scanner's host and the result list: the viewer's Log with the entry
// as UTF-8 display text.  Loads the viewer first if needed.
void logToViewer(const std::string& logText, bool forceView);

// Takes the viewer off the screen, if it is loaded.
void hideLogViewer();

} // namespace umbrix
