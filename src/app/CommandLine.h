#pragma once

#include <string>
#include <string_view>

namespace umbrix {

// The pause after each examined entry, in seconds, asked for by "/timeout:"
// (case-sensitive, anywhere in the line) followed by a number; 0 without the
// switch or without a readable number after it.
float ScanPauseFromCommandLine(std::string_view commandLine);

// The program's arguments as one line, the way the switch is looked for:
// argv[1..] joined by single spaces.
std::string commandLineFromArguments(int argc, const char* const* argv);

// The folder to open, named by the first argument that is neither the
// "/timeout:" switch nor an option ("-..."); "" when there is none.
std::string folderFromArguments(int argc, const char* const* argv);

} // namespace umbrix
