#pragma once

#include <string>

namespace umbrix::cli {

// "--help": the command line, the exit statuses and where the journal goes.
std::string attribUsageText();

// "--version": "umbrix-attrib " and the project version, one line.
std::string attribVersionText();

} // namespace umbrix::cli
