#include "fileops/TreeCopy.h"

#include "fileops/FileContent.h"
#include "fileops/FileCopy.h"
#include "fileops/FsErrors.h"
#include "platform/DirectoryReader.h"
#include "platform/FileDescriptor.h"
#include "platform/FolderHandle.h"
#include "platform/PathChain.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

namespace umbrix::fileops {
namespace {

using platform::DirectoryReader;
using platform::FileDescriptor;
using platform::FolderIdentity;

struct TreeCopy {
    bool overwrite = false;
    FolderIdentity targetRoot;
    // The source folders being copied, from the top down to the current one.
    std::vector<FolderIdentity> ancestors;

    bool seenAbove(const FolderIdentity& folder) const
    {
        return folder.sameEntry(targetRoot) ||
               std::any_of(ancestors.begin(), ancestors.end(),
                           [&](const FolderIdentity& a) { return a.sameEntry(folder); });
    }
};

// Whether the folder open as `folderFd` is `root` or lies below it, found by
// walking "..": this follows the real tree, whatever links or bind mounts the
// destination path was written with.
bool liesWithin(int folderFd, const FolderIdentity& root)
{
    FileDescriptor current(::fcntl(folderFd, F_DUPFD_CLOEXEC, 0));
    FolderIdentity here;
    if (!current || platform::identityOf(current.get(), here) != 0)
        return false;
    for (;;) {
        if (here.sameEntry(root))
            return true;
        FileDescriptor up(::openat(current.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        FolderIdentity above;
        if (!up || platform::identityOf(up.get(), above) != 0)
            return false;
        if (above.sameEntry(here))
            return false; // the root of the tree
        current = std::move(up);
        here = above;
    }
}

// Makes `targetName` in `targetParent` or takes the folder already there;
// a file or a link of that name is not merged into.
FileDescriptor targetFolder(int targetParent, const char* targetName, const std::string& targetPath,
                            bool& created)
{
    created = ::mkdirat(targetParent, targetName, 0700) == 0;
    if (!created) {
        if (errno != EEXIST)
            fail(errno, targetPath);
        FolderIdentity existing;
        if (const int err = platform::identityAt(targetParent, targetName, existing))
            fail(err, targetPath);
        if (!S_ISDIR(existing.mode))
            fail(S_ISLNK(existing.mode) ? EEXIST : ENOTDIR, targetPath);
    }
    FileDescriptor target;
    if (const int err = platform::openFolderAt(targetParent, targetName, targetPath, target))
        fail(err, targetPath);
    return target;
}

// Copies the folder read by `source` (path `sourcePath`) to `targetName` in
// `targetParent`.
void copyFolder(DirectoryReader& source, const std::string& sourcePath, int targetParent,
                const char* targetName, const std::string& targetPath, TreeCopy& copy)
{
    struct stat sourceSt;
    if (::fstat(source.fd(), &sourceSt) != 0)
        fail(errno, sourcePath);
    bool created = false;
    const FileDescriptor target = targetFolder(targetParent, targetName, targetPath, created);
    if (copy.ancestors.empty()) {
        if (const int err = platform::identityOf(target.get(), copy.targetRoot))
            fail(err, targetPath);
    }
    FolderIdentity self;
    if (const int err = platform::identityOf(source.fd(), self))
        fail(err, sourcePath);
    copy.ancestors.push_back(self);

    DirectoryReader::Entry entry;
    while (source.nextChild(entry)) {
        const std::string name(entry.name);
        const std::string childSource = joinPath(sourcePath, name);
        const std::string childTarget = joinPath(targetPath, name);
        struct stat st;
        if (::fstatat(source.fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT)
                continue; // removed while we walk
            fail(errno, childSource);
        }
        if (!S_ISDIR(st.st_mode)) {
            copyEntry(source.fd(), name.c_str(), st, childSource, target.get(), name.c_str(),
                      childTarget, copy.overwrite);
            continue;
        }
        FileDescriptor childFd;
        if (const int err = platform::openFolderAt(source.fd(), name.c_str(), childSource, childFd))
            fail(err, childSource);
        DirectoryReader child(std::move(childFd));
        if (!child.valid())
            fail(child.error(), childSource);
        // A bind mount can show a folder inside itself; without this the
        // copy would run until the disk is full.
        FolderIdentity childId;
        if (const int err = platform::identityOf(child.fd(), childId))
            fail(err, childSource);
        if (copy.seenAbove(childId))
            fail(ELOOP, childSource);
        copyFolder(child, childSource, target.get(), name.c_str(), childTarget, copy);
    }
    if (source.error())
        fail(source.error(), sourcePath);
    copy.ancestors.pop_back();

    // The folder takes the source's attributes once it is filled: a
    // read-only source folder must not stop its own copy.  One already
    // there (left by an attempt that failed midway, or merged into) takes
    // them too, as the files in it are replaced.
    {
        if (const TransferResult r = copyUserXattrs(source.fd(), target.get()); r.error)
            fail(r.error, r.onTarget ? targetPath : sourcePath);
        if (::fchmod(target.get(), sourceSt.st_mode & 01777) != 0 && !cannotHold(errno))
            fail(errno, targetPath);
        const timespec times[2] = {{0, UTIME_OMIT}, sourceSt.st_mtim};
        if (::futimens(target.get(), times) != 0 && !cannotHold(errno))
            fail(errno, targetPath);
        if (const TransferResult r = carryDosAttributes(source.fd(), target.get()); r.error)
            fail(r.error, r.onTarget ? targetPath : sourcePath);
    }
}

} // namespace

void copyTree(const std::string& source, const std::string& destination, bool overwrite)
{
    const std::string sourcePath = withoutTrailingSlashes(source);
    // Relative to the working directory like any path, but the source itself
    // must be a folder and not a link to one.
    FileDescriptor sourceFd;
    if (const int err = platform::openFolderAt(AT_FDCWD, sourcePath.c_str(), sourcePath, sourceFd))
        fail(err == ELOOP ? ENOTDIR : err, {});
    DirectoryReader sourceDir(std::move(sourceFd));
    if (!sourceDir.valid())
        fail(sourceDir.error(), {});
    FolderIdentity sourceId;
    if (const int err = platform::identityOf(sourceDir.fd(), sourceId))
        fail(err, {});

    const std::string target = copyTargetPath(sourcePath, destination);
    const FolderAndName split = splitPath(target);
    if (split.name.empty())
        fail(EEXIST, target);
    FileDescriptor parent;
    if (const int err = platform::openFolder(split.folder, parent))
        fail(err, target);
    FolderIdentity existing;
    const bool targetExists = platform::identityAt(parent.get(), split.name.c_str(), existing) == 0;
    if (liesWithin(parent.get(), sourceId) || (targetExists && existing.sameEntry(sourceId)))
        failIntoItself(sourcePath, target);

    TreeCopy copy;
    copy.overwrite = overwrite;
    copyFolder(sourceDir, sourcePath, parent.get(), split.name.c_str(), target, copy);
}

} // namespace umbrix::fileops
