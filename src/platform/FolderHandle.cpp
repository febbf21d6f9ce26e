#include "platform/FolderHandle.h"

#include "platform/FaultInjection.h"

#include <fcntl.h>
#include <string_view>
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

namespace {

thread_local ScopedHeldFolder* heldFolder = nullptr;

// "dst/", "dst//" and "dst" name one folder.
std::string_view withoutTrailingSlashes(std::string_view path)
{
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    return path;
}

} // namespace

int openFolder(const std::string& path, FileDescriptor& folder)
{
    if (const int fault = injectedFault(FaultPoint::OpenDirectory, path))
        return fault;
    if (heldFolder && heldFolder->open(path, folder))
        return 0;
    return opened(::open(path.c_str(), FolderFlags), folder);
}

ScopedHeldFolder::ScopedHeldFolder(const std::string& path)
    : previous_(heldFolder), path_(withoutTrailingSlashes(path))
{
    // A command within a command keeps the folder the outer one holds.
    if ((!previous_ || !previous_->open(path_, folder_)) &&
        opened(::open(path_.c_str(), FolderFlags), folder_) != 0)
        folder_ = FileDescriptor();
    heldFolder = this;
}

ScopedHeldFolder::~ScopedHeldFolder()
{
    heldFolder = previous_;
}

bool ScopedHeldFolder::open(const std::string& path, FileDescriptor& folder) const
{
    if (!folder_ || withoutTrailingSlashes(path) != path_)
        return false;
    const int copy = ::fcntl(folder_.get(), F_DUPFD_CLOEXEC, 0);
    if (copy < 0)
        return false;
    folder = FileDescriptor(copy);
    return true;
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
