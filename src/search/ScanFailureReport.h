#pragma once

#include "platform/Error.h"

#include <string>
#include <string_view>

namespace umbrix {

// The three-line log entry for a failure met on one entry of a folder:
//   Path: "<folder>"
//   File: "<name>"
//   Error: <description> (<number>)
// Folder and name are bytes and appear as display text.
std::string scanFailureReport(std::string_view folder, std::string_view name, const Error& error);

} // namespace umbrix
