#pragma once

#include "platform/FileDescriptor.h"

#include <cstddef>
#include <cstdint>
#include <sys/stat.h>
#include <sys/types.h>

namespace umbrix::platform {

// One entry of an open folder, as the attribute stores reach it: looked up
// by its single name from the folder's descriptor, never through a symbolic
// link, so no rename or link placed in the path above can send a read or a
// write anywhere else.
//
// Two ways exist, chosen once per process (usesProcFdFallback):
// - Linux 6.13 and later: statx, getxattrat and setxattrat
//   relative to the folder with AT_SYMLINK_NOFOLLOW.
// - Older kernels: an O_PATH | O_NOFOLLOW descriptor pins the entry, statx
//   asks that descriptor, and the xattr calls go to "/proc/self/fd/N", which
//   the kernel resolves to the pinned inode and nothing else.  f*xattr would
//   be the obvious tool but refuses O_PATH descriptors, and opening the entry
//   for reading would block on a FIFO and needs read permission.
// Every call returns 0 or an errno, except getXattr, which returns the size
// or -errno.
class Entry {
public:
    Entry(int folderFd, const char* name);
    // An entry already open as `fd` (not an O_PATH descriptor, which the
    // f*xattr calls refuse): every call goes to that descriptor, so nothing
    // is looked up by name at all.  A copy reads and writes its two ends so.
    static Entry opened(int fd);

    // Opens the pinned descriptor; from then on examine() asks it.
    int pin();
    // statx of the entry itself (AT_NO_AUTOMOUNT; at least the type and the
    // mode besides `mask`).  Remembers whether it is a link.
    int examine(unsigned mask, struct statx& st);
    // The pinned descriptor, -1 before pin().
    int pinned() const { return opened_ >= 0 ? opened_ : pinned_.get(); }

    ssize_t getXattr(const char* attribute, void* value, size_t size);
    int setXattr(const char* attribute, const void* value, size_t size, int flags);
    // A descriptor for the FAT ioctls: read-only, never a link, never
    // blocking on a FIFO.
    FileDescriptor openForIoctl() const;

private:
    int folderFd_;
    const char* name_;
    FileDescriptor pinned_;
    int opened_ = -1;
    bool procFd_;
    bool examinedLink_ = false;
    bool examined_ = false;
    char procName_[32] = {};
};

// True where the kernel has no *xattrat calls.  Decided on the first call.
bool usesProcFdFallback();

// While alive, forces the /proc way (true) or lets the process's own choice
// stand (false).  For tests, which run on kernels that have both ways.
class ScopedProcFdFallback {
public:
    explicit ScopedProcFdFallback(bool force);
    ~ScopedProcFdFallback();
    ScopedProcFdFallback(const ScopedProcFdFallback&) = delete;
    ScopedProcFdFallback& operator=(const ScopedProcFdFallback&) = delete;

private:
    bool previous_;
};

} // namespace umbrix::platform
