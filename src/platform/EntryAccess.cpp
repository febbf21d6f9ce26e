#include "platform/EntryAccess.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace umbrix::platform {
namespace {

// glibc 2.36 knows neither the calls nor their numbers.  Numbers from 424
// on are the same on every architecture but alpha.
#ifndef SYS_setxattrat
constexpr long SysSetxattrat = 463;
#else
constexpr long SysSetxattrat = SYS_setxattrat;
#endif
#ifndef SYS_getxattrat
constexpr long SysGetxattrat = 464;
#else
constexpr long SysGetxattrat = SYS_getxattrat;
#endif

// struct xattr_args of <linux/xattr.h> (6.13).
struct alignas(8) XattrArgs {
    uint64_t value;
    uint32_t size;
    uint32_t flags;
};
static_assert(sizeof(XattrArgs) == 16);

std::atomic<bool> forcedFallback{false};

bool kernelLacksXattrAt()
{
    // A seccomp filter written before these calls existed may answer EPERM
    // instead of ENOSYS; reading a user attribute of "/" never does.
    XattrArgs args{0, 0, 0};
    const long rc = ::syscall(SysGetxattrat, AT_FDCWD, "/", AT_SYMLINK_NOFOLLOW, "user.DOSATTRIB",
                              &args, sizeof args);
    return rc < 0 && (errno == ENOSYS || errno == EPERM);
}

int errnoOf(int rc)
{
    return rc == 0 ? 0 : errno;
}

} // namespace

bool usesProcFdFallback()
{
    static const bool lacking = kernelLacksXattrAt();
    return lacking || forcedFallback.load(std::memory_order_relaxed);
}

ScopedProcFdFallback::ScopedProcFdFallback(bool force) : previous_(forcedFallback.load())
{
    forcedFallback = previous_ || force;
}

ScopedProcFdFallback::~ScopedProcFdFallback()
{
    forcedFallback = previous_;
}

Entry::Entry(int folderFd, const char* name)
    : folderFd_(folderFd), name_(name), procFd_(usesProcFdFallback())
{}

Entry Entry::opened(int fd)
{
    Entry entry(fd, "");
    entry.opened_ = fd;
    entry.procFd_ = false;
    return entry;
}

int Entry::pin()
{
    if (pinned_ || opened_ >= 0)
        return 0;
    // One retry after EIO: when an entry's type changes under FUSE (ntfs-3g
    // turns an empty system file into a FIFO) the kernel fails the first
    // lookup while it drops the stale inode, and the next one succeeds.
    for (int attempt = 0;; ++attempt) {
        pinned_ = FileDescriptor(::openat(folderFd_, name_, O_PATH | O_NOFOLLOW | O_CLOEXEC));
        if (pinned_)
            break;
        if (errno != EIO || attempt == 1)
            return errno;
    }
    std::snprintf(procName_, sizeof procName_, "/proc/self/fd/%d", pinned_.get());
    return 0;
}

int Entry::examine(unsigned mask, struct statx& st)
{
    if (procFd_) {
        if (const int err = pin())
            return err;
    }
    const unsigned wanted = STATX_TYPE | STATX_MODE | STATX_INO | mask;
    int rc = 0;
    if (pinned() >= 0) {
        rc = ::statx(pinned(), "", AT_EMPTY_PATH | AT_NO_AUTOMOUNT, wanted, &st);
        // An O_PATH open may hand back the cached inode of an entry whose
        // type FUSE has changed since (ntfs-3g again); asking it fails once
        // with EIO, which drops it, and a new pin looks the name up afresh.
        if (rc != 0 && errno == EIO && !examined_ && opened_ < 0) {
            pinned_.reset();
            if (const int err = pin())
                return err;
            rc = ::statx(pinned_.get(), "", AT_EMPTY_PATH | AT_NO_AUTOMOUNT, wanted, &st);
        }
    } else {
        // AT_NO_AUTOMOUNT: looking at an automount point must not mount it.
        for (int attempt = 0;; ++attempt) {
            rc = ::statx(folderFd_, name_, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, wanted, &st);
            if (rc == 0 || errno != EIO || attempt == 1)
                break;
        }
    }
    if (rc != 0)
        return errno;
    examinedLink_ = S_ISLNK(st.stx_mode);
    examined_ = true;
    return 0;
}

ssize_t Entry::getXattr(const char* attribute, void* value, size_t size)
{
    ssize_t n = 0;
    if (opened_ >= 0) {
        n = ::fgetxattr(opened_, attribute, value, size);
    } else if (procFd_) {
        // A walk reads and rewrites entries that readdir's type already told
        // apart from links, without examining them first: pinned here.
        if (const int err = pin())
            return -err;
        // The kernel keeps no user attributes on a link; through /proc the
        // call would reach whatever the link names.
        if (examinedLink_)
            return -ENODATA;
        n = ::getxattr(procName_, attribute, value, size);
    } else {
        XattrArgs args{reinterpret_cast<uintptr_t>(value), static_cast<uint32_t>(size), 0};
        n = ::syscall(SysGetxattrat, folderFd_, name_, AT_SYMLINK_NOFOLLOW, attribute, &args,
                      sizeof args);
    }
    return n < 0 ? -errno : n;
}

int Entry::setXattr(const char* attribute, const void* value, size_t size, int flags)
{
    if (opened_ >= 0)
        return errnoOf(::fsetxattr(opened_, attribute, value, size, flags));
    if (procFd_) {
        if (const int err = pin())
            return err;
        if (examinedLink_)
            return EPERM;
        return errnoOf(::setxattr(procName_, attribute, value, size, flags));
    }
    XattrArgs args{reinterpret_cast<uintptr_t>(value), static_cast<uint32_t>(size),
                   static_cast<uint32_t>(flags)};
    return errnoOf(static_cast<int>(::syscall(SysSetxattrat, folderFd_, name_, AT_SYMLINK_NOFOLLOW,
                                              attribute, &args, sizeof args)));
}

FileDescriptor Entry::openForIoctl() const
{
    if (opened_ >= 0)
        return FileDescriptor(::fcntl(opened_, F_DUPFD_CLOEXEC, 0));
    return FileDescriptor(
        ::openat(folderFd_, name_, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC));
}

} // namespace umbrix::platform
