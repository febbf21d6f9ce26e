#include "platform/Error.h"

#include <cerrno>
#include <cstring>

namespace umbrix {

namespace {

constexpr int SystemBitBase = 0x20000;
constexpr uint32_t Writable = 0x27; // read-only, hidden, system, archive
constexpr uint32_t SystemBit = 0x4;

bool isSystemBitRefusal(int code)
{
    return code >= SystemBitBase && code < SystemBitBase + (1 << 12);
}

std::string systemBitRefusalText(int code)
{
    const auto before = static_cast<uint32_t>(code - SystemBitBase) >> 6;
    const auto wanted = static_cast<uint32_t>(code - SystemBitBase) & 0x3f;
    struct Bit {
        uint32_t bit;
        const char* name;
        char letter;
    };
    static constexpr Bit bits[] = {{0x1, "read-only", 'R'},
                                   {0x2, "hidden", 'H'},
                                   {0x4, "system", 'S'},
                                   {0x20, "archive", 'A'}};
    std::string names;
    std::string switches;
    std::string keep;
    int count = 0;
    for (const Bit& b : bits) {
        // attrib leaves a hidden or system entry alone unless the command
        // names that attribute: the one kept is named as kept.
        if ((before & wanted & b.bit & (SystemBit | 0x2)) != 0)
            keep += std::string(" +") + b.letter;
        if (!((before ^ wanted) & b.bit))
            continue;
        names += names.empty() ? "" : " and ";
        names += b.name;
        switches += (wanted & b.bit) ? " +" : " -";
        switches += b.letter;
        ++count;
    }
    const std::string which = "The " + names + (count > 1 ? " attributes" : " attribute");
    const std::string why =
        ((before ^ wanted) & SystemBit)
            ? " could not be changed: on this volume only root may set or clear the system "
              "attribute"
            : " could not be changed: on this volume only root may change a system entry";
    return which + why + " (the driver asks for CAP_LINUX_IMMUTABLE). As root: sudo umbrix-attrib" +
           switches + keep + " PATH";
}

} // namespace

namespace StoreRefusal {

int systemBitNeedsRoot(uint32_t before, uint32_t wanted)
{
    return SystemBitBase + static_cast<int>(((before & Writable) << 6) | (wanted & Writable));
}

} // namespace StoreRefusal

int plainErrno(int code)
{
    if (code == StoreRefusal::NoReachableAttributes)
        return EOPNOTSUPP;
    return isSystemBitRefusal(code) ? EPERM : code;
}

int32_t errorNumberFromErrno(int err)
{
    switch (plainErrno(err)) {
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
        return static_cast<int32_t>(0x80070000u + static_cast<uint32_t>(plainErrno(err) & 0xFFFF));
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
    if (code == StoreRefusal::NoReachableAttributes)
        return "This volume keeps no attributes that Umbrix can reach on this kernel (exFAT before "
               "Linux 6.7): nothing was changed";
    if (isSystemBitRefusal(code))
        return systemBitRefusalText(code);
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
