#include "platform/DirectoryReader.h"

#include "platform/FolderHandle.h"

#include <cerrno>
#include <fcntl.h>
#include <utility>

namespace umbrix::platform {

DirectoryReader::DirectoryReader(const std::string& path)
{
    FileDescriptor folder;
    if ((error_ = openFolder(path, folder)) == 0)
        adopt(std::move(folder));
}

DirectoryReader::DirectoryReader(FileDescriptor folder)
{
    adopt(std::move(folder));
}

DirectoryReader DirectoryReader::of(int folderFd)
{
    DirectoryReader reader;
    FileDescriptor copy(::fcntl(folderFd, F_DUPFD_CLOEXEC, 0));
    if (!copy)
        reader.error_ = errno;
    else
        reader.adopt(std::move(copy));
    return reader;
}

void DirectoryReader::adopt(FileDescriptor folder)
{
    if (!folder) {
        error_ = EBADF;
        return;
    }
    dir_ = ::fdopendir(folder.get());
    if (dir_)
        folder.release();
    else
        error_ = errno;
}

DirectoryReader::DirectoryReader(DirectoryReader&& other) noexcept
    : dir_(std::exchange(other.dir_, nullptr)), error_(other.error_)
{}

DirectoryReader::~DirectoryReader()
{
    if (dir_)
        closedir(dir_);
}

int DirectoryReader::fd() const
{
    return dir_ ? dirfd(dir_) : -1;
}

bool DirectoryReader::next(Entry& entry)
{
    if (!dir_)
        return false;
    errno = 0;
    const dirent* d = readdir(dir_);
    if (!d) {
        error_ = errno;
        return false;
    }
    entry.name = d->d_name;
    entry.type = d->d_type;
    entry.inode = d->d_ino;
    return true;
}

bool DirectoryReader::nextChild(Entry& entry)
{
    while (next(entry)) {
        if (entry.name != "." && entry.name != "..")
            return true;
    }
    return false;
}

} // namespace umbrix::platform
