#include "platform/PathChain.h"

#include "platform/Error.h"

#include <cerrno>
#include <climits>
#include <unistd.h>

namespace umbrix {
namespace {

std::string currentDirectory()
{
    std::string buffer(PATH_MAX, '\0');
    while (!::getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE)
            throwErrno(errno);
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(buffer.find('\0'));
    return buffer;
}

} // namespace

std::string absolutePath(std::string_view path)
{
    if (path.empty())
        return {};
    std::string whole;
    if (path.front() != '/') {
        whole = currentDirectory();
        whole += '/';
    }
    whole += path;

    std::string result;
    result.reserve(whole.size());
    size_t pos = 0;
    while (pos < whole.size()) {
        size_t end = whole.find('/', pos);
        if (end == std::string::npos)
            end = whole.size();
        const std::string_view part(whole.data() + pos, end - pos);
        pos = end + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            const size_t cut = result.rfind('/');
            result.resize(cut == std::string::npos ? 0 : cut);
            continue;
        }
        result += '/';
        result += part;
    }
    return result.empty() ? std::string("/") : result;
}

std::string joinPath(std::string_view folder, std::string_view name)
{
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    path += folder;
    if (path.empty() || path.back() != '/')
        path += '/';
    path += name;
    return path;
}

std::string withTrailingSlash(std::string_view folder)
{
    std::string text(folder);
    if (text.empty() || text.back() != '/')
        text += '/';
    return text;
}

std::string withoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

FolderAndName splitPath(std::string_view path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return {".", std::string(path)};
    return {slash == 0 ? std::string("/") : std::string(path.substr(0, slash)),
            std::string(path.substr(slash + 1))};
}

std::vector<std::string> ancestorsOf(std::string_view path)
{
    std::vector<std::string> chain;
    if (path.size() <= 1)
        return chain;
    chain.emplace_back("/");
    for (size_t slash = path.find('/', 1); slash != std::string_view::npos;
         slash = path.find('/', slash + 1))
        chain.emplace_back(path.substr(0, slash));
    return chain;
}

std::string_view lastComponent(std::string_view path)
{
    if (path.size() <= 1)
        return path;
    return path.substr(path.rfind('/') + 1);
}

} // namespace umbrix
