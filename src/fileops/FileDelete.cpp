#include "fileops/FileDelete.h"

#include "fileops/FsErrors.h"
#include "platform/AttributeStore.h"
#include "platform/FaultInjection.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace umbrix::fileops {
namespace {

bool clearReadOnly(int folderFd, const char* name, const std::string& path)
{
    uint32_t word = 0;
    if (platform::queryAttributesAt(folderFd, name, path, word) != 0 ||
        !(word & platform::Attr::ReadOnly))
        return false;
    return platform::storeAttributesAt(folderFd, name, path,
                                       (word & platform::Attr::Writable) &
                                           ~platform::Attr::ReadOnly) == 0;
}

} // namespace

bool isReadOnly(int folderFd, const char* name, const std::string& path)
{
    uint32_t word = 0;
    return platform::queryAttributesAt(folderFd, name, path, word) == 0 &&
           (word & platform::Attr::ReadOnly);
}

int unlinkEntry(int folderFd, const char* name, const std::string& path, bool force)
{
    if (const int fault = platform::injectedFault(platform::FaultPoint::Unlink, path))
        return fault;
    if (::unlinkat(folderFd, name, 0) == 0)
        return 0;
    const int err = errno;
    if (!force || (err != EACCES && err != EPERM) || !clearReadOnly(folderFd, name, path))
        return err;
    return ::unlinkat(folderFd, name, 0) == 0 ? 0 : errno;
}

int removeEmptyFolder(int folderFd, const char* name, const std::string& path)
{
    if (const int fault = platform::injectedFault(platform::FaultPoint::Unlink, path))
        return fault;
    return ::unlinkat(folderFd, name, AT_REMOVEDIR) == 0 ? 0 : errno;
}

void deleteFileAt(int folderFd, const std::string& name, const std::string& path, bool force,
                  const platform::EntryIdentity& expected)
{
    struct stat st;
    if (::fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        fail(errno, {});
    if (expected.known() && (st.st_dev != expected.dev || st.st_ino != expected.ino))
        fail(ESTALE, {});
    if (S_ISDIR(st.st_mode))
        fail(EISDIR, {});
    if (!force && isReadOnly(folderFd, name.c_str(), path))
        failReadOnly({});
    if (const int err = unlinkEntry(folderFd, name.c_str(), path, force))
        fail(err, {});
}

void deleteFile(const std::string& path, bool force)
{
    deleteFileAt(AT_FDCWD, path, path, force);
}

} // namespace umbrix::fileops
