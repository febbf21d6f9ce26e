#include "platform/FolderHandle.h"

#include "platform/FaultInjection.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace umbrix::platform {
namespace {

constexpr int FolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

int identify(int fd, const char* name, int flags, FolderIdentity& identity)
{
    struct statx sx;
    if (::statx(fd, name, flags | AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                STATX_TYPE | STATX_MODE | STATX_INO | STATX_MNT_ID, &sx) != 0)
        return errno;
    identity.dev = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    identity.ino = sx.stx_ino;
    identity.mode = sx.stx_mode;
    identity.hasMountId = (sx.stx_mask & STATX_MNT_ID) != 0;
    identity.mountId = sx.stx_mnt_id;
    return 0;
}

int opened(int fd, FileDescriptor& folder)
{
    if (fd < 0)
        return errno;
    folder = FileDescriptor(fd);
    return 0;
}

} // namespace

int identityOf(int fd, FolderIdentity& identity)
{
    return identify(fd, "", AT_EMPTY_PATH, identity);
}

int identityAt(int folderFd, const char* name, FolderIdentity& identity)
{
    return identify(folderFd, name, 0, identity);
}

int openFolder(const std::string& path, FileDescriptor& folder)
{
    if (const int fault = injectedFault(FaultPoint::OpenDirectory, path))
        return fault;
    return opened(::open(path.c_str(), FolderFlags), folder);
}

int openFolderAt(int parentFd, const char* name, const std::string& path, FileDescriptor& folder)
{
    if (const int fault = injectedFault(FaultPoint::OpenDirectory, path))
        return fault;
    return opened(::openat(parentFd, name, FolderFlags | O_NOFOLLOW), folder);
}

int reopenParent(int childFd, const FolderIdentity& expected, FileDescriptor& parent)
{
    FileDescriptor up;
    if (const int err = opened(::openat(childFd, "..", FolderFlags), up))
        return err;
    FolderIdentity found;
    if (const int err = identityOf(up.get(), found))
        return err;
    if (!found.sameEntry(expected))
        return ESTALE;
    parent = std::move(up);
    return 0;
}

} // namespace umbrix::platform
