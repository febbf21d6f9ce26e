#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace umbrix {

// One line of the error log file, CR LF included:
//   title TAB dd/mm/yyyy hh:mm:ss TAB [detail "; "] "(" proc ")" TAB "[ " message tail
// where the tail is "; Err=" code " ]" for a non-zero code, else " ]".
// `when` is the local time of the failure; the texts are written as given.
std::string formatLogLine(const std::string& appTitle, const std::tm& when,
                          const std::string& procName, const std::string& message,
                          int32_t errNumber, const std::string& detail);

} // namespace umbrix
