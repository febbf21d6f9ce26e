#include "fileops/FileSystemObject.h"

#include "fileops/FileCopy.h"
#include "fileops/FileDelete.h"
#include "fileops/FolderListing.h"
#include "fileops/FsErrors.h"
#include "fileops/TreeCopy.h"
#include "fileops/TreeDelete.h"
#include "platform/FolderHandle.h"
#include "platform/PathChain.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace umbrix {

using platform::FileDescriptor;
using platform::FolderIdentity;

namespace {

using SharedFolder = std::shared_ptr<const FileDescriptor>;

// The entry `path` names, reached and checked as a row is; `folder` gets its
// folder, kept for the object's lifetime.
platform::ReachedEntry reach(const std::string& path, const platform::EntryIdentity& expected,
                             SharedFolder& folder)
{
    platform::ReachedEntry entry;
    if (const int err = platform::reachEntry(path, expected, entry))
        fileops::fail(err, {});
    // The reached folder may be a command's shared one: the object keeps its own.
    FileDescriptor own(::fcntl(entry.folder(), F_DUPFD_CLOEXEC, 0));
    if (!own)
        fileops::fail(errno, {});
    folder = std::make_shared<const FileDescriptor>(std::move(own));
    return entry;
}

bool holds(const SharedFolder& folder, const std::string& name, bool directory)
{
    struct stat st;
    return ::fstatat(folder->get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISDIR(st.st_mode) == directory;
}

} // namespace

void FileSystemObject::File::Delete(bool force) const
{
    fileops::deleteFileAt(folder_->get(), name_, path_, force, expected_);
}

bool FileSystemObject::File::Exists() const
{
    return holds(folder_, name_, false);
}

bool FileSystemObject::Folder::Exists() const
{
    return holds(parent_, name_, true);
}

const FileSystemObject::SharedFolder& FileSystemObject::Folder::open() const
{
    if (self_)
        return self_;
    FileDescriptor fd;
    if (const int err = platform::openFolderAt(parent_->get(), name_.c_str(), path_, fd))
        fileops::fail(err == ELOOP ? ENOTDIR : err, path_);
    // A folder that another volume was mounted on since it was listed is
    // not this volume's to empty.
    FolderIdentity parent;
    FolderIdentity self;
    if (const int err = platform::identityOf(parent_->get(), parent))
        fileops::fail(err, path_);
    if (const int err = platform::identityOf(fd.get(), self))
        fileops::fail(err, path_);
    if (!self.sameVolume(parent))
        fileops::failMountPoint(path_);
    if (expected_.known() && !(self.dev == expected_.dev && self.ino == expected_.ino))
        fileops::fail(ESTALE, path_);
    self_ = std::make_shared<const FileDescriptor>(std::move(fd));
    return self_;
}

std::vector<FileSystemObject::File> FileSystemObject::Folder::Files() const
{
    const SharedFolder& folder = open();
    std::vector<File> files;
    for (std::string& name : fileops::fileNamesIn(folder->get(), path_)) {
        std::string path = joinPath(path_, name);
        files.push_back(File(std::move(path), folder, std::move(name), {}));
    }
    return files;
}

std::vector<FileSystemObject::Folder> FileSystemObject::Folder::SubFolders() const
{
    const SharedFolder& folder = open();
    std::vector<Folder> folders;
    for (std::string& name : fileops::subFolderNamesOf(folder->get(), path_)) {
        std::string path = joinPath(path_, name);
        folders.push_back(Folder(std::move(path), folder, std::move(name)));
    }
    return folders;
}

void FileSystemObject::Folder::Delete(bool force, const std::function<void()>& eachEntry) const
{
    fileops::deleteTreeAt(parent_->get(), name_, path_, force, eachEntry, expected_);
}

void FileSystemObject::CopyFile(const std::string& source, const std::string& destination,
                                bool overwrite) const
{
    fileops::copyFile(source, destination, overwrite);
}

void FileSystemObject::CopyFolder(const std::string& source, const std::string& destination,
                                  bool overwrite) const
{
    fileops::copyTree(source, destination, overwrite);
}

FileSystemObject::File FileSystemObject::GetFile(const std::string& path,
                                                 const platform::EntryIdentity& expected) const
{
    SharedFolder folder;
    const platform::ReachedEntry entry = reach(path, expected, folder);
    if (S_ISDIR(entry.identity().mode))
        fileops::fail(EISDIR, {});
    return File(path, std::move(folder), entry.nameText(),
                platform::entryIdentityOf(entry.identity()));
}

FileSystemObject::Folder FileSystemObject::GetFolder(const std::string& path,
                                                     const platform::EntryIdentity& expected) const
{
    const std::string whole = withoutTrailingSlashes(path);
    const FolderAndName split = splitPath(whole);
    // The root and "." or ".." have no name in a parent to be held by.
    if (split.name.empty() || split.name == "." || split.name == "..")
        fileops::fail(whole == "/" ? EBUSY : EINVAL, {});
    SharedFolder parent;
    const platform::ReachedEntry entry = reach(whole, expected, parent);
    if (!S_ISDIR(entry.identity().mode))
        fileops::fail(ENOTDIR, {});
    return Folder(path, std::move(parent), entry.nameText(),
                  platform::entryIdentityOf(entry.identity()));
}

bool FileSystemObject::FileExists(const std::string& path) const
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool FileSystemObject::FolderExists(const std::string& path) const
{
    struct stat st;
    return ::lstat(withoutTrailingSlashes(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace umbrix
