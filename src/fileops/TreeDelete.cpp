#include "fileops/TreeDelete.h"

#include "fileops/FileDelete.h"
#include "fileops/FsErrors.h"
#include "platform/DirectoryReader.h"
#include "platform/FileDescriptor.h"
#include "platform/FolderHandle.h"
#include "platform/PathChain.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace umbrix::fileops {
namespace {

using platform::DirectoryReader;
using platform::FileDescriptor;
using platform::FolderIdentity;

// What every level of one delete shares.
struct TreeDelete {
    FolderIdentity volume;
    bool force = false;
    const DeleteStep& step;

    void stepDone() const
    {
        if (step)
            step();
    }
};

void removeNonDirectory(int folderFd, const char* name, const std::string& path,
                        const TreeDelete& tree)
{
    if (!tree.force && isReadOnly(folderFd, name, path))
        failReadOnly(path);
    if (const int err = unlinkEntry(folderFd, name, path, tree.force); err && err != ENOENT)
        fail(err, path);
    tree.stepDone();
}

// Checks the folder `name` of `parentFd`, just opened as `folder`, before
// anything in it goes: it must lie on `volume`, and not be read-only unless
// forced.  Forcing gives the owner the rights that emptying it needs.
// `label` names the folder in the messages that the caller's own does not.
FolderIdentity prepareToEmpty(int parentFd, const char* name, const std::string& path,
                              const std::string& label, const DirectoryReader& folder,
                              const FolderIdentity& volume, bool force)
{
    FolderIdentity identity;
    if (const int err = platform::identityOf(folder.fd(), identity))
        fail(err, label);
    if (!identity.sameVolume(volume))
        failMountPoint(path);
    if (!force && isReadOnly(parentFd, name, path))
        failReadOnly(label);
    if (force && (identity.mode & 0700) != 0700)
        ::fchmod(folder.fd(), (identity.mode & 07777) | 0700);
    return identity;
}

void emptyFolder(DirectoryReader& folder, const std::string& path, const TreeDelete& tree);

// Removes the subfolder `name` of the folder read by `parent`.  It is opened
// without following a link: one put in its place since the listing is
// removed as the link it is, and what it points to is never touched.
void removeSubFolder(const DirectoryReader& parent, const std::string& name,
                     const std::string& path, const TreeDelete& tree)
{
    FileDescriptor fd;
    int err = platform::openFolderAt(parent.fd(), name.c_str(), path, fd);
    if (err == EACCES && tree.force) {
        // A folder without read or search permission cannot be emptied;
        // forcing means giving the owner those rights first.
        ::fchmodat(parent.fd(), name.c_str(), 0700, AT_SYMLINK_NOFOLLOW);
        err = platform::openFolderAt(parent.fd(), name.c_str(), path, fd);
    }
    if (err == ENOENT)
        return;
    if (err == ENOTDIR || err == ELOOP) { // replaced by a file or link meanwhile
        removeNonDirectory(parent.fd(), name.c_str(), path, tree);
        return;
    }
    if (err)
        fail(err, path);
    DirectoryReader folder(std::move(fd));
    if (!folder.valid())
        fail(folder.error(), path);
    prepareToEmpty(parent.fd(), name.c_str(), path, path, folder, tree.volume, tree.force);
    emptyFolder(folder, path, tree);
    if (const int removeErr = removeEmptyFolder(parent.fd(), name.c_str(), path);
        removeErr && removeErr != ENOENT)
        fail(removeErr, path);
    tree.stepDone();
}

void emptyFolder(DirectoryReader& folder, const std::string& path, const TreeDelete& tree)
{
    DirectoryReader::Entry entry;
    while (folder.nextChild(entry)) {
        const std::string name(entry.name);
        const std::string childPath = joinPath(path, name);
        bool isDirectory = entry.type == DT_DIR;
        if (entry.type == DT_UNKNOWN) {
            FolderIdentity identity;
            if (const int err = platform::identityAt(folder.fd(), name.c_str(), identity)) {
                if (err == ENOENT)
                    continue;
                fail(err, childPath);
            }
            isDirectory = S_ISDIR(identity.mode);
        }
        if (isDirectory)
            removeSubFolder(folder, name, childPath, tree);
        else
            removeNonDirectory(folder.fd(), name.c_str(), childPath, tree);
    }
    if (folder.error())
        fail(folder.error(), path);
}

} // namespace

void deleteTreeAt(int parentFd, const std::string& name, const std::string& path, bool force,
                  const DeleteStep& step, const platform::EntryIdentity& expected)
{
    if (name.empty() || name == "." || name == "..")
        fail(path == "/" ? EBUSY : EINVAL, {});
    FolderIdentity parentId;
    if (const int err = platform::identityOf(parentFd, parentId))
        fail(err, {});

    FileDescriptor fd;
    if (const int err = platform::openFolderAt(parentFd, name.c_str(), path, fd))
        fail(err == ELOOP ? ENOTDIR : err, {});
    DirectoryReader folder(std::move(fd));
    if (!folder.valid())
        fail(folder.error(), {});
    if (expected.known()) {
        FolderIdentity found;
        if (const int err = platform::identityOf(folder.fd(), found))
            fail(err, {});
        if (found.dev != expected.dev || found.ino != expected.ino)
            fail(ESTALE, {});
    }
    // Emptying a mounted volume and then failing to remove its mount point
    // would be the worst of both.
    const TreeDelete tree{prepareToEmpty(parentFd, name.c_str(), path, {}, folder, parentId, force),
                          force, step};
    emptyFolder(folder, path, tree);
    if (const int err = removeEmptyFolder(parentFd, name.c_str(), path))
        fail(err, {});
}

void deleteTree(const std::string& given, bool force, const DeleteStep& step)
{
    const std::string path = withoutTrailingSlashes(given);
    const FolderAndName split = splitPath(path);
    if (split.name.empty() || split.name == "." || split.name == "..")
        fail(path == "/" ? EBUSY : EINVAL, {});

    FileDescriptor parent;
    if (const int err = platform::openFolder(split.folder, parent))
        fail(err, {});
    deleteTreeAt(parent.get(), split.name, path, force, step);
}

} // namespace umbrix::fileops
