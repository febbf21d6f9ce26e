#include "platform/FileHelpers.h"

#include "platform/AttributeStore.h"
#include "platform/DirectoryReader.h"
#include "platform/Error.h"
#include "platform/PathChain.h"
#include "platform/Wildcard.h"

#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace umbrix {

namespace {

// Only spaces count as blank here: a name made of tabs is a name.
bool isBlank(std::string_view path)
{
    return path.find_first_not_of(' ') == std::string_view::npos;
}

// A path pasted from elsewhere may come wrapped in double quotes.  The closing
// quote only goes when the first quote after the opening character is the
// last character, so a quote inside a name survives.
void stripQuotes(std::string& path)
{
    if (path.size() >= 2 && path.find('"', 1) == path.size() - 1)
        path.pop_back();
    if (!path.empty() && path.front() == '"')
        path.erase(0, 1);
}

bool isDirectoryEntry(const platform::DirectoryReader& reader,
                      const platform::DirectoryReader::Entry& entry)
{
    if (entry.type != DT_UNKNOWN)
        return entry.type == DT_DIR;
    // The filesystem does not say: ask it, without following links.
    const std::string name(entry.name);
    struct stat st;
    if (::fstatat(reader.fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    return S_ISDIR(st.st_mode);
}

// A pattern in the last component: the answer depends on the first entry of
// the folder that matches, in the order the folder lists its entries.  The
// Linux filesystems report "." and ".." first, as the Windows filesystems do
// in every folder but a drive root, so a pattern that matches them ("*",
// "*.*") answers false there too; nothing is reordered or skipped, since that
// would make the answer differ from what a listing of the folder shows.
bool firstMatchIsFile(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    std::string folder;
    std::string_view pattern;
    if (slash == std::string::npos) {
        folder = ".";
        pattern = path;
    } else {
        folder = slash == 0 ? std::string("/") : path.substr(0, slash);
        pattern = std::string_view(path).substr(slash + 1);
    }
    platform::DirectoryReader reader(folder);
    platform::DirectoryReader::Entry entry;
    while (reader.next(entry)) {
        if (wildcardMatch(pattern, entry.name))
            return !isDirectoryEntry(reader, entry);
    }
    return false;
}

} // namespace

bool FileExists(const std::string& path)
{
    if (isBlank(path))
        return false;
    std::string p = path;
    if (p.back() == '/')
        p.pop_back();
    stripQuotes(p);
    if (p.empty())
        return false;

    // A real name is a name, "*" and "?" in it included: only a name that
    // names nothing is taken as a pattern.
    struct stat st;
    if (::lstat(p.c_str(), &st) == 0)
        return !S_ISDIR(st.st_mode);
    const std::size_t slash = p.rfind('/');
    const std::string_view last =
        slash == std::string::npos ? std::string_view(p) : std::string_view(p).substr(slash + 1);
    return hasWildcards(last) && firstMatchIsFile(p);
}

bool DirExists(const std::string& path)
{
    if (isBlank(path))
        return false;
    std::string p = path;
    stripQuotes(p);
    if (p.empty())
        return false;
    struct stat st;
    // lstat() follows a link named with a trailing "/": look at the link itself.
    return ::lstat(withoutTrailingSlashes(std::move(p)).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string CurrentDirectory()
{
    // glibc sizes the buffer itself; a removed current directory gives "".
    std::unique_ptr<char, decltype(&std::free)> cwd(::getcwd(nullptr, 0), &std::free);
    return cwd ? std::string(cwd.get()) : std::string();
}

std::string FolderOfPath(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return CurrentDirectory();
    if (DirExists(path))
        return path;
    return path.substr(0, slash + 1);
}

std::string FileNameOfPath(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

namespace {

// The reduced set of a queried word, or the failure of the query.
int32_t reducedAttributes(int code, uint32_t word, bool quiet, bool& reparsePoint)
{
    if (code != 0) {
        if (quiet)
            return 0;
        if (code > 0)
            throw Error{ErrorNumber::AttributeQuery, SystemMessageText(code)};
        throw Error{ErrorNumber::PermissionDenied,
                    standardDescription(ErrorNumber::PermissionDenied)};
    }

    if (word & platform::Attr::ReparsePoint) {
        reparsePoint = true;
        return 0;
    }
    return reducedAttributeSet(word);
}

} // namespace

int32_t reducedAttributeSet(uint32_t word)
{
    if (word & platform::Attr::ReparsePoint)
        return 0;
    int32_t result = (word & platform::Attr::Directory) ? 16 : 0;
    if (!(word & platform::Attr::Normal)) {
        result += static_cast<int32_t>(word & (platform::Attr::ReadOnly | platform::Attr::Hidden |
                                               platform::Attr::System | platform::Attr::Archive));
    }
    return result;
}

int32_t GetEntryAttributes(const std::string& path, bool quiet, bool& reparsePoint,
                           const platform::EntryIdentity& expected)
{
    if (isBlank(path))
        return 0;
    uint32_t word = 0;
    const int code = platform::queryAttributes(path, word, expected);
    return reducedAttributes(code, word, quiet, reparsePoint);
}

} // namespace umbrix
