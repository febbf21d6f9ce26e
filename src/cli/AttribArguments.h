#pragma once

#include "cli/AttribOutput.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace umbrix::cli {

enum class Command { Attrib, Unhide, Undo, Suspects, Help, Version };

// What the unhiding walk lists, as the window's options choose it.
enum class Listing { HiddenOrSystem, All, FilesOnly, DirsOnly };

struct AttribArguments {
    Command command = Command::Attrib;
    OutputFormat format = OutputFormat::Text;
    uint32_t set = 0;         // attribute bits to set (+R +A +S +H)
    uint32_t clear = 0;       // and to clear
    bool recurse = false;     // /S
    bool directories = false; // /D
    bool links = false;       // /L: symbolic links are entries of their own
    Listing listing = Listing::HiddenOrSystem;
    std::vector<std::string> paths; // bytes as given; for --undo, the journal
    std::optional<int64_t> since;   // --since, microseconds since the epoch
    bool quarantine = false;        // --quarantine, with --suspects
};

struct ParsedArguments {
    AttribArguments arguments;
    std::string error; // a usage error for people; "" when the line was good
};

// Reads argv[1..] as attrib does: "+" or "-" and an attribute letter, and
// "/S", "/D", "/L", "/?", in either case, anywhere among the paths; the long
// options GNU's way; "--" ends them all.  No short option takes a letter of
// an attribute: "-h" clears hidden, as a Windows user means it.
ParsedArguments parseArguments(const std::vector<std::string>& argv);

// "2024-05-01", "2024-05-01 13:30", "2024-05-01T13:30:05" in local time, the
// same with "Z" in UTC, or "@SECONDS" since the epoch; nothing for anything
// else.
std::optional<int64_t> parseTime(const std::string& text);

} // namespace umbrix::cli
