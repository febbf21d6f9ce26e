#include "platform/HoldingFolder.h"

#include <cerrno>
#include <fcntl.h>

namespace umbrix::platform {

int openHoldingFolder(const std::string& path, FileDescriptor& folder, std::string& name)
{
    constexpr int kFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    const size_t end = path.find_last_not_of('/');
    if (end == std::string::npos)
        return path.empty() ? ENOENT : EISDIR;
    const size_t last = path.rfind('/', end);
    name.assign(path, last + 1, end - last);
    FileDescriptor at(::open(path.starts_with("/") ? "/" : ".", kFlags));
    if (!at)
        return errno;
    for (size_t start = 0; last != std::string::npos && start < last;) {
        size_t slash = path.find('/', start);
        if (slash == std::string::npos || slash > last)
            slash = last;
        const std::string part = path.substr(start, slash - start);
        start = slash + 1;
        if (part.empty() || part == ".")
            continue;
        FileDescriptor next(::openat(at.get(), part.c_str(), kFlags));
        if (!next)
            return errno;
        at = std::move(next);
    }
    folder = std::move(at);
    return 0;
}

} // namespace umbrix::platform
