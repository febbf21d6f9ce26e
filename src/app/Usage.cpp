#include "app/Usage.h"

#include "app/Version.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace umbrix {

namespace {

// The options QApplication takes out of the arguments itself; those of the
// second list take a value, as "-style fusion" or "-style=fusion".
constexpr std::string_view kQtSwitches[] = {"-reverse", "-nograb", "-dograb", "-sync",
                                            "-widgetcount"};
constexpr std::string_view kQtOptions[] = {
    "-platform", "-platformpluginpath", "-platformtheme", "-plugin",  "-qwindowgeometry",
    "-qwindowicon", "-qwindowtitle", "-session",        "-display", "-geometry",
    "-name",        "-title",        "-style",          "-stylesheet"};

template <std::size_t N> bool among(const std::string_view (&names)[N], std::string_view name)
{
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

} // namespace

InfoRequest infoRequestFromArguments(int argc, const char* const* argv)
{
    bool misread = false;
    int folders = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h")
            return InfoRequest::Help;
        if (argument == "--version")
            return InfoRequest::Version;
        if (argument.empty() || argument.starts_with("/timeout:") || among(kQtSwitches, argument))
            continue;
        if (!argument.starts_with('-')) {
            ++folders;
            continue;
        }
        const std::string_view option = argument.substr(0, argument.find('='));
        if (!among(kQtOptions, option))
            misread = true;
        else if (option.size() == argument.size())
            ++i; // its value
    }
    return misread || folders > 1 ? InfoRequest::UsageError : InfoRequest::None;
}

std::string usageText()
{
    return R"(Usage: umbrix [/timeout:SECONDS] [FOLDER]
       umbrix --help | --version

Opens a window that searches a folder tree for files and folders carrying the
DOS hidden or system attribute, makes the hidden ones that are not system
entries visible again as it goes, and lists every hidden or system entry.

  /timeout:SECONDS  wait SECONDS (such as 0.5) after each examined entry, so
                    that a search can be watched; no pause without it
  FOLDER            the folder to open (optional; the current folder without it)
  -h, --help        print this text and exit
  --version         print the version and exit
An option it does not know or a second FOLDER ends it with this text on
standard error and exit status 2.

Settings: ~/.config/Umbrix/Umbrix.ini ($XDG_CONFIG_HOME/Umbrix/Umbrix.ini where
XDG_CONFIG_HOME is set), group [Setting]:
  LogError=True     switches the error log on (False by default); the window
                    menu's "Log Errors" item (Alt+W opens the menu; Alt+Space
                    too where the window manager leaves it free) switches
                    the same key
  LogLeft, LogTop   where the log window was last placed, in twips
Machine-wide flags: /etc/xdg/Umbrix/Umbrix.ini (written only by root).

Error log, written while logging is on: UMBRIX.log beside the program for a
run from its build folder, otherwise $XDG_DATA_HOME/Umbrix/UMBRIX.log
(~/.local/share/Umbrix/UMBRIX.log).
)";
}

std::string versionText()
{
    return "umbrix " + std::string(kVersion) + "\n";
}

} // namespace umbrix
