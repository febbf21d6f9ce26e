#include "fileops/FsErrors.h"

#include "platform/Error.h"
#include "platform/PathText.h"

#include <cerrno>

namespace umbrix::fileops {
namespace {

std::string quoted(const std::string& path)
{
    return "\"" + displayText(path) + "\"";
}

} // namespace

void fail(int err, const std::string& path)
{
    std::string description = SystemMessageText(err);
    if (!path.empty())
        description += ": " + quoted(path);
    throw Error{errorNumberFromErrno(err), std::move(description)};
}

void failReadOnly(const std::string& path)
{
    std::string description = standardDescription(ErrorNumber::PermissionDenied);
    if (!path.empty())
        description += ": " + quoted(path) + " is read-only";
    throw Error{ErrorNumber::PermissionDenied, std::move(description)};
}

void failMountPoint(const std::string& path)
{
    throw Error{errorNumberFromErrno(EBUSY), SystemMessageText(EBUSY) + ": " + quoted(path) +
                                                 " is a mount point of another volume"};
}

void failSameFile(const std::string& path)
{
    throw Error{errorNumberFromErrno(EINVAL),
                "Source and target are the same file: " + quoted(path)};
}

void failIntoItself(const std::string& source, const std::string& target)
{
    throw Error{errorNumberFromErrno(EINVAL),
                "Cannot copy the folder " + quoted(source) + " into itself: " + quoted(target)};
}

} // namespace umbrix::fileops
