#pragma once

#include "platform/FileDescriptor.h"

#include <string>
#include <sys/types.h>

namespace umbrix::platform {

// Which directory a descriptor or an entry is: the device and inode the
// kernel reports, plus the mount id, which tells a bind mount of the same
// filesystem apart where the device number cannot.
struct FolderIdentity {
    dev_t dev = 0;
    ino_t ino = 0;
    // Type and permission bits, so that one look tells a folder from what
    // only looks like one (a link to it) and whether it can be entered.
    mode_t mode = 0;
    uint64_t mountId = 0;
    bool hasMountId = false;

    bool sameEntry(const FolderIdentity& other) const
    {
        return dev == other.dev && ino == other.ino;
    }
    bool sameVolume(const FolderIdentity& other) const
    {
        if (dev != other.dev)
            return false;
        return !(hasMountId && other.hasMountId) || mountId == other.mountId;
    }
};

// The identity of the open descriptor `fd`; 0 or an errno.
int identityOf(int fd, FolderIdentity& identity);

// The identity of the entry `name` of the open folder `folderFd`, the entry
// itself and not what a link points to; 0 or an errno.
int identityAt(int folderFd, const char* name, FolderIdentity& identity);

// Opens the folder at `path` for reading its entries and looking them up.
// The path is taken as the person named it, links in it included.  0 or an
// errno (the fault hook's OpenDirectory included).  A folder a
// ScopedHeldFolder holds is that folder, wherever its path leads now.
int openFolder(const std::string& path, FileDescriptor& folder);

// While one lives on a thread, openFolder of its path gives the folder
// opened when it began: a command's target folder renamed, or swapped for a
// link, midway still receives the rest of the command, and the place the
// link leads to nothing.  A folder that cannot be opened is not held; one
// an enclosing scope holds stays the folder it holds.
class ScopedHeldFolder {
public:
    explicit ScopedHeldFolder(const std::string& path);
    ~ScopedHeldFolder();
    ScopedHeldFolder(const ScopedHeldFolder&) = delete;
    ScopedHeldFolder& operator=(const ScopedHeldFolder&) = delete;

    // A descriptor of its own for the held folder, when `path` names it.
    bool open(const std::string& path, FileDescriptor& folder) const;

private:
    ScopedHeldFolder* previous_;
    std::string path_;
    FileDescriptor folder_;
};

// Opens the folder `name` of the open folder `parentFd` without following a
// link: a link there, or anything that is not a directory, is refused.
// `path` names the same folder for the fault hooks and is never opened.
// With AT_FDCWD, `name` may be a whole path: only its last component is then
// kept from being a link.
int openFolderAt(int parentFd, const char* name, const std::string& path, FileDescriptor& folder);

// Opens the parent of the open folder `childFd` through "..", which the
// kernel resolves in the real tree, and checks that it is `expected`: a
// folder that was moved away meanwhile gives ESTALE instead of another
// folder's parent.
int reopenParent(int childFd, const FolderIdentity& expected, FileDescriptor& parent);

} // namespace umbrix::platform
