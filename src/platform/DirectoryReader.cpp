#include "platform/DirectoryReader.h"

#include "platform/FolderHandle.h"

#include <cerrno>
#include <cstring>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>

namespace umbrix::platform {
namespace {

// Holds a few hundred names: most folders are read by one call.
constexpr size_t kBufferSize = 32 * 1024;

// Where the fields of the kernel's linux_dirent64 record lie; glibc has no
// declaration of it.
constexpr size_t kInodeAt = 0;
constexpr size_t kLengthAt = 16;
constexpr size_t kTypeAt = 18;
constexpr size_t kNameAt = 19;

} // namespace

DirectoryReader::DirectoryReader(const std::string& path)
{
    FileDescriptor folder;
    if ((error_ = openFolder(path, folder)) == 0) {
        owned_ = std::move(folder);
        fd_ = owned_.get();
    }
}

DirectoryReader::DirectoryReader(FileDescriptor folder) : owned_(std::move(folder))
{
    fd_ = owned_.get();
    if (fd_ < 0)
        error_ = EBADF;
}

DirectoryReader DirectoryReader::of(int folderFd, bool fromStart)
{
    DirectoryReader reader;
    if (folderFd < 0)
        reader.error_ = EBADF;
    else if (fromStart && ::lseek(folderFd, 0, SEEK_SET) < 0)
        reader.error_ = errno;
    else
        reader.fd_ = folderFd;
    return reader;
}

bool DirectoryReader::next(Entry& entry)
{
    if (fd_ < 0 || ended_)
        return false;
    if (offset_ >= filled_) {
        if (!buffer_)
            buffer_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
        const long n = ::syscall(SYS_getdents64, fd_, buffer_.get(), kBufferSize);
        if (n <= 0) {
            ended_ = true;
            error_ = n < 0 ? errno : 0;
            return false;
        }
        filled_ = static_cast<size_t>(n);
        offset_ = 0;
    }
    const char* record = buffer_.get() + offset_;
    uint64_t inode = 0;
    unsigned short length = 0;
    std::memcpy(&inode, record + kInodeAt, sizeof inode);
    std::memcpy(&length, record + kLengthAt, sizeof length);
    offset_ += length;
    entry.name = std::string_view(record + kNameAt);
    entry.type = static_cast<unsigned char>(record[kTypeAt]);
    entry.inode = static_cast<ino_t>(inode);
    return true;
}

bool DirectoryReader::nextChild(Entry& entry)
{
    while (next(entry)) {
        const std::string_view n = entry.name;
        if (n != "." && n != "..")
            return true;
    }
    return false;
}

} // namespace umbrix::platform
