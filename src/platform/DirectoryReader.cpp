#include "platform/DirectoryReader.h"

#include "platform/FaultInjection.h"

#include <cerrno>

namespace umbrix::platform {

DirectoryReader::DirectoryReader(const std::string& path)
{
    if (int fault = injectedFault(FaultPoint::OpenDirectory, path)) {
        error_ = fault;
        return;
    }
    dir_ = opendir(path.c_str());
    if (!dir_)
        error_ = errno;
}

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

} // namespace umbrix::platform
