#pragma once

#include "settings/Registration.h"

#include <string>
#include <string_view>

namespace umbrix {

class FrmSeek;

// Start-up's component check: an administrator's start makes sure, quietly,
// that the file-system object works (RegisterScrRun with `registerServer`,
// the object's self-check when empty); false when the program is to end, its
// message shown.  A start by anyone else checks nothing and goes on.
bool componentCheck(const RegisterServerCall& registerServer = {});

// A message of the registration as a message box titled AppTitle.
void showRegistrationMessage(const std::string& prompt, int icon);

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
