#include "cli/AttribArguments.h"

#include "platform/AttributeStore.h"
#include "platform/PathText.h"

#include <cctype>
#include <charconv>
#include <ctime>
#include <limits>

namespace umbrix::cli {
namespace {

namespace Attr = platform::Attr;

uint32_t attributeOfLetter(char letter)
{
    switch (std::toupper(static_cast<unsigned char>(letter))) {
    case 'R':
        return Attr::ReadOnly;
    case 'A':
        return Attr::Archive;
    case 'S':
        return Attr::System;
    case 'H':
        return Attr::Hidden;
    }
    return 0;
}

char upper(char c)
{
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

// The option's value, from "--name=VALUE" or the next argument.
bool optionValue(const std::vector<std::string>& argv, size_t& i, std::string_view name,
                 std::string& value)
{
    const std::string& token = argv[i];
    if (token.size() > name.size() && token[name.size()] == '=') {
        value = token.substr(name.size() + 1);
        return true;
    }
    if (i + 1 >= argv.size())
        return false;
    value = argv[++i];
    return true;
}

std::string checkCombination(AttribArguments& a, bool listingGiven)
{
    if (a.set & a.clear)
        return "Parameter format not correct - an attribute is both set and cleared";
    const bool attribsOwn = (a.set | a.clear) != 0 || a.recurse || a.directories || a.links;
    const std::string name = a.command == Command::Unhide ? "--unhide"
                             : a.command == Command::Undo ? "--undo"
                                                          : "--suspects";
    switch (a.command) {
    case Command::Unhide:
    case Command::Undo:
    case Command::Suspects:
        if (attribsOwn)
            return name + " takes no attribute changes, /S, /D or /L";
        if (a.command == Command::Undo && a.paths.size() > 1)
            return "--undo takes at most one JOURNAL";
        if (a.command != Command::Undo && a.paths.size() != 1)
            return name + " needs exactly one FOLDER";
        break;
    case Command::Attrib:
        if (a.paths.empty())
            a.paths.emplace_back("*");
        break;
    case Command::Help:
    case Command::Version:
        return "";
    }
    if (listingGiven && a.command != Command::Unhide)
        return "--list-all, --files-only and --dirs-only go with --unhide";
    if (a.since && a.command != Command::Undo)
        return "--since goes with --undo";
    if (a.quarantine && a.command != Command::Suspects)
        return "--quarantine goes with --suspects";
    return "";
}

} // namespace

std::optional<int64_t> parseTime(const std::string& text)
{
    if (text.starts_with("@")) {
        int64_t seconds = 0;
        const char* end = text.data() + text.size();
        if (text.size() < 2 || std::from_chars(text.data() + 1, end, seconds).ptr != end)
            return std::nullopt;
        // Microseconds must fit the journal's 64 bits.
        constexpr int64_t kLimit = std::numeric_limits<int64_t>::max() / 1000000;
        if (seconds > kLimit || seconds < -kLimit)
            return std::nullopt;
        return seconds * 1000000;
    }
    std::string body = text;
    const bool utc = body.ends_with("Z") || body.ends_with("z");
    if (utc)
        body.pop_back();
    struct tm tm {};
    int consumed = 0;
    char separator = 0;
    const int fields = std::sscanf(body.c_str(), "%4d-%2d-%2d%n%c%2d:%2d%n:%2d%n", &tm.tm_year,
                                   &tm.tm_mon, &tm.tm_mday, &consumed, &separator, &tm.tm_hour,
                                   &tm.tm_min, &consumed, &tm.tm_sec, &consumed);
    const bool dateOnly = fields == 3;
    const bool withTime = (fields == 6 || fields == 7) && (separator == 'T' || separator == ' ');
    if ((!dateOnly && !withTime) || static_cast<size_t>(consumed) != body.size())
        return std::nullopt;
    if (tm.tm_mon < 1 || tm.tm_mon > 12 || tm.tm_mday < 1 || tm.tm_mday > 31 || tm.tm_hour > 23 ||
        tm.tm_min > 59 || tm.tm_sec > 60)
        return std::nullopt;
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    tm.tm_isdst = -1;
    const time_t seconds = utc ? timegm(&tm) : mktime(&tm);
    return static_cast<int64_t>(seconds) * 1000000;
}

ParsedArguments parseArguments(const std::vector<std::string>& argv)
{
    ParsedArguments parsed;
    AttribArguments& a = parsed.arguments;
    bool listingGiven = false;
    bool pathsOnly = false;
    const auto bad = [&](const std::string& message) {
        parsed.error = message;
        return parsed;
    };
    for (size_t i = 1; i < argv.size(); ++i) {
        const std::string& token = argv[i];
        if (pathsOnly || token.empty()) {
            a.paths.push_back(token);
            continue;
        }
        const bool pair = token.size() == 2;
        if (token == "--") {
            pathsOnly = true;
        } else if (token == "--help" || token == "/?") {
            a.command = Command::Help;
            return parsed;
        } else if (token == "--version") {
            a.command = Command::Version;
            return parsed;
        } else if (token == "--unhide" || token == "--undo" || token == "--suspects") {
            const Command command = token == "--unhide" ? Command::Unhide
                                    : token == "--undo" ? Command::Undo
                                                        : Command::Suspects;
            if (a.command != Command::Attrib && a.command != command)
                return bad("--unhide, --undo and --suspects exclude each other");
            a.command = command;
        } else if (token == "--quarantine") {
            a.quarantine = true;
        } else if (token == "--list-all" || token == "--files-only" || token == "--dirs-only") {
            if (listingGiven)
                return bad("--list-all, --files-only and --dirs-only exclude each other");
            listingGiven = true;
            a.listing = token == "--list-all"     ? Listing::All
                        : token == "--files-only" ? Listing::FilesOnly
                                                  : Listing::DirsOnly;
        } else if (token == "--json" || token == "-0") {
            const OutputFormat format = token == "-0" ? OutputFormat::Nul : OutputFormat::Json;
            if (a.format != OutputFormat::Text && a.format != format)
                return bad("-0 and --json exclude each other");
            a.format = format;
        } else if (token == "--since" || token.starts_with("--since=")) {
            std::string value;
            if (!optionValue(argv, i, "--since", value))
                return bad("--since needs a TIME");
            a.since = parseTime(value);
            if (!a.since)
                return bad("Not a time for --since - " + displayText(value) +
                           " (YYYY-MM-DD[ HH:MM[:SS]][Z] or @SECONDS)");
        } else if (token.starts_with("--")) {
            return bad("Invalid switch - " + displayText(token));
        } else if (pair && token[0] == '/' && upper(token[1]) == 'S') {
            a.recurse = true;
        } else if (pair && token[0] == '/' && upper(token[1]) == 'D') {
            a.directories = true;
        } else if (pair && token[0] == '/' && upper(token[1]) == 'L') {
            a.links = true;
        } else if (token[0] == '+' || (token[0] == '-' && token.size() > 1)) {
            const uint32_t bit = pair ? attributeOfLetter(token[1]) : 0;
            if (bit == 0)
                return bad("Parameter format not correct - " + displayText(token));
            (token[0] == '+' ? a.set : a.clear) |= bit;
        } else {
            a.paths.push_back(token);
        }
    }
    parsed.error = checkCombination(a, listingGiven);
    return parsed;
}

} // namespace umbrix::cli
