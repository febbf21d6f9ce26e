#pragma once

#include <string>
#include <string_view>

namespace umbrix {

class FrmSeek;

// The start-up sequence up to the first window event: fills the window's
// application state, reads the command line, prepares the main window and
// shows it.  False when the program is to end at once (its message has been
// shown).  A `folder` is opened in the directory list; one that cannot be
// opened is reported and the window stays on the current directory.
bool startUp(FrmSeek& window, std::string_view commandLine, const std::string& folder = {});

// The whole program: start-up under its error trap, then the window events.
// Returns the process's exit code.
int runUmbrix(int argc, char** argv);

} // namespace umbrix
