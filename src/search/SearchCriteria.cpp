#include "search/SearchCriteria.h"

#include "platform/AttributeStore.h"
#include "platform/DirectoryReader.h"
#include "platform/FileHelpers.h"
#include "platform/Wildcard.h"

#include <exception>
#include <sys/stat.h>

namespace umbrix {
namespace {

namespace Attr = platform::Attr;

// What a plain listing of files shows: not a directory, not a link, and
// neither hidden nor system.
bool isOrdinaryFile(const std::string& path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode) || S_ISLNK(st.st_mode))
        return false;
    bool reparsePoint = false;
    const int32_t attributes = GetEntryAttributes(path, true, reparsePoint);
    return !reparsePoint && (attributes & (Attr::Hidden | Attr::System)) == 0;
}

// True when the search text, read as a path whose last part may be a
// wildcard pattern, matches at least one ordinary file.  A search text
// ending in "/" asks about every file of that folder.
bool matchesOrdinaryFile(const std::string& text)
{
    const std::size_t slash = text.rfind('/');
    std::string folder;
    std::string_view pattern(text);
    if (slash == std::string::npos) {
        folder = ".";
    } else {
        folder = slash == 0 ? std::string("/") : text.substr(0, slash);
        pattern.remove_prefix(slash + 1);
    }
    if (pattern.empty())
        pattern = "*";
    std::string prefix = folder;
    if (prefix.back() != '/')
        prefix += '/';

    if (!hasWildcards(pattern))
        return isOrdinaryFile(prefix.append(pattern));

    platform::DirectoryReader reader(folder);
    platform::DirectoryReader::Entry entry;
    while (reader.next(entry)) {
        if (entry.name == "." || entry.name == "..")
            continue;
        if (entry.type == DT_DIR)
            continue;
        if (wildcardMatch(pattern, entry.name) && isOrdinaryFile(prefix + std::string(entry.name)))
            return true;
    }
    return false;
}

std::string belowRoot(std::string folder)
{
    if (!isAbsoluteFolder(folder))
        folder.insert(folder.begin(), '/');
    return folder;
}

} // namespace

bool isAbsoluteFolder(std::string_view folder)
{
    return !folder.empty() && folder.front() == '/';
}

std::string SplitPathSpec(const std::string& Text, std::string& FileName)
{
    try {
        if (matchesOrdinaryFile(Text)) {
            const std::size_t slash = Text.rfind('/');
            if (slash == std::string::npos) {
                FileName = Text;
                return {};
            }
            FileName = Text.substr(slash + 1);
            return belowRoot(Text.substr(0, slash + 1));
        }
        if (DirExists(Text)) {
            FileName.clear();
            return belowRoot(Text);
        }
        FileName = Text;
        return {};
    } catch (const std::exception&) {
        FileName = Text;
        return {};
    }
}

SearchTexts deriveSearchTexts(const std::string& text)
{
    const std::size_t slash = text.rfind('/');
    if (slash == std::string::npos)
        return {text, {}};
    if (text.find('*') != std::string::npos)
        return {text.substr(slash + 1), text.substr(0, slash + 1)};
    std::string criteria = text;
    if (criteria.back() != '/')
        criteria += '/';
    return {"*.*", criteria};
}

} // namespace umbrix
