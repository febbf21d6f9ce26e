#include "fileops/TemporaryEntry.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace umbrix::fileops {
namespace {
std::atomic<unsigned> nameCounter{0};
} // namespace

TemporaryEntry::~TemporaryEntry()
{
    if (created_ && !committed_)
        ::unlinkat(folderFd_, name_, 0);
}

template <typename Make> int TemporaryEntry::create(Make make)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        std::snprintf(name_, sizeof name_, ".umbrix-copy-%d-%x-%lx", static_cast<int>(::getpid()),
                      nameCounter.fetch_add(1), static_cast<unsigned long>(now.tv_nsec));
        const int err = make();
        if (err != EEXIST) {
            created_ = err == 0;
            return err;
        }
    }
    return EEXIST;
}

int TemporaryEntry::createFile(platform::FileDescriptor& file)
{
    return create([&] {
        file = platform::FileDescriptor(
            ::openat(folderFd_, name_, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        return file ? 0 : errno;
    });
}

int TemporaryEntry::reopen(platform::FileDescriptor& file) const
{
    file = platform::FileDescriptor(
        ::openat(folderFd_, name_, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    return file ? 0 : errno;
}

int TemporaryEntry::createSymlink(const std::string& linkTarget)
{
    return create(
        [&] { return ::symlinkat(linkTarget.c_str(), folderFd_, name_) == 0 ? 0 : errno; });
}

int TemporaryEntry::createNode(mode_t mode, dev_t device)
{
    return create([&] { return ::mknodat(folderFd_, name_, mode, device) == 0 ? 0 : errno; });
}

int TemporaryEntry::commit(const char* target, bool overwrite)
{
    int result = 0;
    if (overwrite) {
        result = ::renameat(folderFd_, name_, folderFd_, target) == 0 ? 0 : errno;
    } else if (::renameat2(folderFd_, name_, folderFd_, target, RENAME_NOREPLACE) == 0) {
        result = 0;
    } else if (errno != EINVAL && errno != ENOSYS) {
        result = errno;
    } else if (::linkat(folderFd_, name_, folderFd_, target, 0) == 0) {
        ::unlinkat(folderFd_, name_, 0);
    } else if (errno == EEXIST) {
        result = EEXIST;
    } else {
        // Neither an exclusive rename nor hard links here (FAT): the
        // existence test just made is the best there is.
        struct stat st;
        if (::fstatat(folderFd_, target, &st, AT_SYMLINK_NOFOLLOW) == 0)
            result = EEXIST;
        else
            result = ::renameat(folderFd_, name_, folderFd_, target) == 0 ? 0 : errno;
    }
    committed_ = result == 0;
    return result;
}

} // namespace umbrix::fileops
