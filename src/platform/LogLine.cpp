#include "platform/LogLine.h"

#include <cstdio>

namespace umbrix {

std::string formatLogLine(const std::string& appTitle, const std::tm& when,
                          const std::string& procName, const std::string& message,
                          int32_t errNumber, const std::string& detail)
{
    // Wide enough for any value a std::tm can hold, so a bad clock cannot cut
    // the stamp short.
    char stamp[96];
    std::snprintf(stamp, sizeof stamp, "%02d/%02d/%04d %02d:%02d:%02d", when.tm_mday,
                  when.tm_mon + 1, when.tm_year + 1900, when.tm_hour, when.tm_min, when.tm_sec);

    std::string line;
    line.reserve(appTitle.size() + procName.size() + message.size() + detail.size() + 64);
    line += appTitle;
    line += '\t';
    line += stamp;
    line += '\t';
    if (!detail.empty()) {
        line += detail;
        line += "; ";
    }
    line += '(';
    line += procName;
    line += ")\t[ ";
    line += message;
    if (errNumber != 0) {
        line += "; Err=";
        line += std::to_string(errNumber);
    }
    line += " ]\r\n";
    return line;
}

} // namespace umbrix
