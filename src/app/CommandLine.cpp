#include "app/CommandLine.h"

#include "platform/NumberPrefix.h"

#include <cmath>
#include <limits>

namespace umbrix {

float ScanPauseFromCommandLine(std::string_view commandLine)
{
    static constexpr std::string_view kSwitch = "/timeout:";
    const std::size_t at = commandLine.find(kSwitch);
    if (at == std::string_view::npos)
        return 0.0f;
    const double seconds = readNumberPrefix(commandLine.substr(at + kSwitch.size()));
    // A double beyond float's range has no float value; the longest pause a
    // float can hold is as good as "forever" and keeps the conversion defined.
    constexpr double largest = std::numeric_limits<float>::max();
    if (std::fabs(seconds) > largest)
        return static_cast<float>(std::copysign(largest, seconds));
    return static_cast<float>(seconds);
}

std::string commandLineFromArguments(int argc, const char* const* argv)
{
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            line += ' ';
        line += argv[i];
    }
    return line;
}

std::string folderFromArguments(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (!argument.empty() && !argument.starts_with("/timeout:") && !argument.starts_with('-'))
            return std::string(argument);
    }
    return {};
}

} // namespace umbrix
