#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace umbrix::suspects {

struct ShellLink;

// The kinds of file Windows runs when opened: programs, scripts and
// shortcuts (.exe .scr .pif .com .bat .cmd .vbs .vbe .js .jse .wsf .lnk),
// letter case ignored.
bool isProgramOrScript(std::string_view name);

// True for "x.lnk" in any letter case.
bool isShortcutName(std::string_view name);
// "autorun.inf" in any letter case.
bool isAutorunName(std::string_view name);

// The command interpreter or script host a path or a command word names
// (cmd, wscript, cscript, powershell, mshta, rundll32, regsvr32; with or
// without a folder and ".exe"), in lower case; "" for anything else.
std::string interpreterOf(std::string_view word);

// The words of a command line as Windows programs split it: blanks and
// quotes separate, and so do "&", "|", "<", ">", "," and ";", which cmd and
// rundll32 read between a program and its arguments.  Switches ("/c") are
// left out.
std::vector<std::string> commandWords(std::string_view line);

// The shortcut's target as each of its forms gives it.
std::vector<std::string> targetPaths(const ShellLink& link);

// A Windows path turned into the components to look up from the volume's
// top (`fromTop`, for "X:\..." and "\...") or from the shortcut's folder.
// Empty for a path that leaves the volume (a share, "..") or names nothing.
struct VolumePath {
    bool fromTop = false;
    std::vector<std::string> components;
};
VolumePath volumePath(std::string_view windowsPath);

// The first line of an autorun.inf's [autorun] section that starts
// something ("open=", "shellexecute=", "shell\VERB\command="), as written;
// "" when it starts nothing.
std::string autorunCommand(std::string_view text);

} // namespace umbrix::suspects
