#pragma once

#include <string>

namespace umbrix {

// What the command line asks for before any window is made.
enum class InfoRequest { None, Help, Version };

// The first of "--help", "-h" or "--version" among argv[1..] decides; any
// other argument leaves it to the window.  Neither needs a display, so main()
// answers them before a QApplication exists.
InfoRequest infoRequestFromArguments(int argc, const char* const* argv);

// "--help": the command line, the settings and where the log file goes.
std::string usageText();

// "--version": "umbrix " and the project version, one line.
std::string versionText();

} // namespace umbrix
