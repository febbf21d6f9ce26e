#include "fileops/FileSystemObject.h"

#include "fileops/FileCopy.h"
#include "fileops/FileDelete.h"
#include "fileops/FolderListing.h"
#include "fileops/FsErrors.h"
#include "fileops/TreeCopy.h"
#include "fileops/TreeDelete.h"
#include "platform/PathChain.h"

#include <cerrno>
#include <sys/stat.h>

namespace umbrix {

void FileSystemObject::File::Delete(bool force) const
{
    fileops::deleteFile(path_, force);
}

std::vector<FileSystemObject::File> FileSystemObject::Folder::Files() const
{
    std::vector<File> files;
    for (std::string& path : fileops::filesIn(path_))
        files.push_back(File(std::move(path)));
    return files;
}

std::vector<FileSystemObject::Folder> FileSystemObject::Folder::SubFolders() const
{
    std::vector<Folder> folders;
    for (std::string& path : fileops::subFoldersOf(path_))
        folders.push_back(Folder(std::move(path)));
    return folders;
}

void FileSystemObject::Folder::Delete(bool force) const
{
    fileops::deleteTree(path_, force);
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

FileSystemObject::File FileSystemObject::GetFile(const std::string& path) const
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        fileops::fail(errno, {});
    if (S_ISDIR(st.st_mode))
        fileops::fail(EISDIR, {});
    return File(path);
}

FileSystemObject::Folder FileSystemObject::GetFolder(const std::string& path) const
{
    struct stat st;
    if (::lstat(withoutTrailingSlashes(path).c_str(), &st) != 0)
        fileops::fail(errno, {});
    if (!S_ISDIR(st.st_mode))
        fileops::fail(ENOTDIR, {});
    return Folder(path);
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
