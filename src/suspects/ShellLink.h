#pragma once

#include <string>
#include <string_view>

namespace umbrix::suspects {

// What a shortcut (.lnk) would start, in the shortcut's own text (UTF-8,
// Windows paths).  Any part the shortcut does not hold is "".
struct ShellLink {
    std::string localPath;       // the target as its volume names it ("E:\x\y.exe")
    std::string networkPath;     // or as a share names it
    std::string relativePath;    // the target relative to the shortcut (".\x\y.exe")
    std::string environmentPath; // the target with %VARIABLES% in it
    std::string workingDirectory;
    std::string arguments;
};

// A shortcut larger than this is no shortcut the shell would write; it is
// read no further.
inline constexpr size_t kMaxShellLinkBytes = 1024 * 1024;

// Parses the bytes of a shortcut with liblnk.  Returns "" and fills `link`,
// or the reason the bytes are not a readable shortcut.  Any input is safe:
// a damaged or hostile file gives a reason, never more.
std::string readShellLink(std::string_view bytes, ShellLink& link);

} // namespace umbrix::suspects
