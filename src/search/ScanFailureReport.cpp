#include "search/ScanFailureReport.h"

#include "platform/PathText.h"

namespace umbrix {

std::string scanFailureReport(std::string_view folder, std::string_view name, const Error& error)
{
    std::string report = "Path: \"";
    report += displayText(folder);
    report += "\"\r\nFile: \"";
    report += displayText(name);
    report += "\"\r\nError: ";
    report += error.description;
    report += " (";
    report += std::to_string(error.number);
    report += ')';
    return report;
}

} // namespace umbrix
