#pragma once

#include <string>

namespace umbrix {

// What the command line asks for before any window is made.
enum class InfoRequest { None, Help, Version, UsageError };

// The first of "--help", "-h" or "--version" among argv[1..] decides.
// Without one, an option the program does not know or a second folder is a
// usage error; Qt's own options (-style, -platform, ...) are Qt's.  None of
// these needs a display, so main() answers them before a QApplication exists.
InfoRequest infoRequestFromArguments(int argc, const char* const* argv);

// "--help": the command line, the settings and where the log file goes.
std::string usageText();

// "--version": "umbrix " and the project version, one line.
std::string versionText();

} // namespace umbrix
