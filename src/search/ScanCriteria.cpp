#include "search/ScanCriteria.h"

#include "platform/AsciiCase.h"
#include "platform/PathText.h"

#include <algorithm>
#include <string>

namespace umbrix {
namespace {

bool containsFolded(std::string_view text, std::string_view part)
{
    const auto found =
        std::search(text.begin(), text.end(), part.begin(), part.end(),
                    [](char a, char b) { return foldAsciiCase(a) == foldAsciiCase(b); });
    return found != text.end() || part.empty();
}

} // namespace

bool folderContainsCriteria(std::string_view folder, std::string_view criteria)
{
    if (criteria.empty())
        return true;
    if (displaysVerbatim(folder))
        return containsFolded(folder, criteria);
    return containsFolded(displayText(folder), criteria);
}

} // namespace umbrix
