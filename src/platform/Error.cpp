#include "platform/Error.h"

#include <cerrno>
#include <cstring>

namespace umbrix {

int32_t errorNumberFromErrno(int err)
{
    switch (err) {
    case EINVAL:
        return ErrorNumber::InvalidArgument;
    case ENOMEM:
        return ErrorNumber::OutOfMemory;
    case ENAMETOOLONG:
    case EILSEQ:
        return ErrorNumber::BadFileName;
    case ENOENT:
        return ErrorNumber::FileNotFound;
    case ENOTDIR:
        return ErrorNumber::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EBUSY:
    case ETXTBSY:
        return ErrorNumber::PathFileAccess;
    default:
        return static_cast<int32_t>(0x80070000u + static_cast<uint32_t>(err & 0xFFFF));
    }
}

std::string SystemMessageText(int32_t code)
{
    if (code == 0)
        return {};
    // What every entry reached by a path it no longer leads to gives: the
    // kernel's own text ("Stale file handle") tells a person nothing.
    if (code == ESTALE)
        return std::string(ChangedSinceText);
    char buffer[256];
    // GNU strerror_r may return a static string instead of filling the buffer.
    const char* text = strerror_r(code, buffer, sizeof buffer);
    return text ? std::string(text) : std::string();
}

std::string standardDescription(int32_t number)
{
    switch (number) {
    case ErrorNumber::InvalidArgument:
        return "Invalid procedure call or argument";
    case ErrorNumber::OutOfMemory:
        return "Out of memory";
    case ErrorNumber::BadFileName:
        return "Bad file name or number";
    case ErrorNumber::FileNotFound:
        return "File not found";
    case ErrorNumber::PermissionDenied:
        return "Permission denied";
    case ErrorNumber::PathFileAccess:
        return "Path/File access error";
    case ErrorNumber::PathNotFound:
        return "Path not found";
    case ErrorNumber::InvalidPropertyValue:
        return "Invalid property value";
    default:
        return {};
    }
}

Error errorFromErrno(int err)
{
    return Error{errorNumberFromErrno(err), SystemMessageText(err)};
}

void throwErrno(int err)
{
    throw errorFromErrno(err);
}

} // namespace umbrix
