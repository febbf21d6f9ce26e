#include "fileops/FileCopy.h"

#include "fileops/FileContent.h"
#include "fileops/FsErrors.h"
#include "fileops/TemporaryEntry.h"
#include "platform/AttributeStore.h"
#include "platform/FaultInjection.h"
#include "platform/FileDescriptor.h"
#include "platform/FileHelpers.h"
#include "platform/FolderHandle.h"
#include "platform/PathChain.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace umbrix::fileops {
namespace {

using platform::FileDescriptor;
using platform::FolderIdentity;

int readLinkAt(int folderFd, const char* name, std::string& linkTarget)
{
    std::size_t size = 256;
    for (;;) {
        linkTarget.resize(size);
        const ssize_t n = ::readlinkat(folderFd, name, linkTarget.data(), linkTarget.size());
        if (n < 0)
            return errno;
        if (static_cast<std::size_t>(n) < linkTarget.size()) {
            linkTarget.resize(static_cast<std::size_t>(n));
            return 0;
        }
        size *= 2;
    }
}

// An existing target is replaced only with `overwrite`; a folder there
// never, nor the source itself, nor a read-only, hidden or system file: those
// are refused as access denied, before anything is written.
void checkExistingTarget(int sourceFolder, const char* sourceName, int targetFolder,
                         const char* targetName, const std::string& targetLabel, bool overwrite)
{
    namespace Attr = platform::Attr;
    FolderIdentity existing;
    if (const int err = platform::identityAt(targetFolder, targetName, existing)) {
        if (err != ENOENT)
            fail(err, targetLabel);
        return;
    }
    if (S_ISDIR(existing.mode))
        fail(EISDIR, targetLabel);
    FolderIdentity source;
    if (platform::identityAt(sourceFolder, sourceName, source) == 0 && existing.sameEntry(source))
        failSameFile(targetLabel);
    if (!overwrite)
        fail(EEXIST, targetLabel);
    uint32_t word = 0;
    if (const int err = platform::queryAttributesAt(targetFolder, targetName, targetLabel, word))
        fail(err, targetLabel);
    if (word & (Attr::ReadOnly | Attr::Hidden | Attr::System))
        fail(EACCES, targetLabel);
}

// The two ends of a file copy, held until the copy has its name.
struct FileEnds {
    FileDescriptor in;
    FileDescriptor written;
};

void carry(const FileEnds& ends, const std::string& sourceLabel, const std::string& targetLabel)
{
    if (const TransferResult r = carryDosAttributes(ends.in.get(), ends.written.get()); r.error)
        fail(r.error, r.onTarget ? targetLabel : sourceLabel);
}

FileEnds copyRegularFile(int sourceFolder, const char* sourceName, const std::string& sourceLabel,
                         TemporaryEntry& temporary, const std::string& targetLabel)
{
    // O_NONBLOCK: should the entry have turned into a FIFO since it was
    // looked at, the open must not hang.
    FileDescriptor in(
        ::openat(sourceFolder, sourceName, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!in)
        fail(errno, sourceLabel);
    struct stat opened;
    if (::fstat(in.get(), &opened) != 0)
        fail(errno, sourceLabel);
    if (!S_ISREG(opened.st_mode))
        fail(S_ISDIR(opened.st_mode) ? EISDIR : EINVAL, sourceLabel);

    FileDescriptor out;
    if (const int err = temporary.createFile(out))
        fail(err, targetLabel);
    if (const TransferResult r = copyData(in.get(), out.get()); r.error)
        fail(r.error, r.onTarget ? targetLabel : sourceLabel);
    if (const TransferResult r = copyUserXattrs(in.get(), out.get()); r.error)
        fail(r.error, r.onTarget ? targetLabel : sourceLabel);
    // Mode and time are kept where the target can hold them; FAT, for one,
    // cannot hold every mode.
    if (::fchmod(out.get(), opened.st_mode & 0777) != 0 && !cannotHold(errno))
        fail(errno, targetLabel);
    const timespec times[2] = {{0, UTIME_OMIT}, opened.st_mtim};
    if (::futimens(out.get(), times) != 0 && !cannotHold(errno))
        fail(errno, targetLabel);
    if (const int err = out.close())
        fail(err, targetLabel);
    // Last, on the written and closed file: ntfs-3g marks a file archived as
    // it closes it after a write, a driver may refuse a read-only file a new
    // time, and on FAT read-only takes away the write bits the mode gave.
    FileEnds ends{std::move(in), {}};
    if (const int err = temporary.reopen(ends.written))
        fail(err, targetLabel);
    carry(ends, sourceLabel, targetLabel);
    return ends;
}

} // namespace

std::string copyTargetPath(const std::string& source, const std::string& destination)
{
    if (!destination.empty() && destination.back() == '/')
        return withoutTrailingSlashes(destination + FileNameOfPath(source));
    return withoutTrailingSlashes(destination);
}

void copyEntry(int sourceFolder, const char* sourceName, const struct stat& source,
               const std::string& sourceLabel, int targetFolder, const char* targetName,
               const std::string& targetLabel, bool overwrite)
{
    if (const int fault = platform::injectedFault(platform::FaultPoint::CopyEntry,
                                                  sourceLabel.empty() ? sourceName : sourceLabel))
        fail(fault, sourceLabel);
    checkExistingTarget(sourceFolder, sourceName, targetFolder, targetName, targetLabel, overwrite);
    TemporaryEntry temporary(targetFolder);
    FileEnds file;
    if (S_ISREG(source.st_mode)) {
        file = copyRegularFile(sourceFolder, sourceName, sourceLabel, temporary, targetLabel);
    } else if (S_ISLNK(source.st_mode)) {
        std::string linkTarget;
        if (const int err = readLinkAt(sourceFolder, sourceName, linkTarget))
            fail(err, sourceLabel);
        if (const int err = temporary.createSymlink(linkTarget))
            fail(err, targetLabel);
    } else {
        // FIFOs, sockets and devices are made anew, never opened: reading a
        // device would copy what it produces, not the entry.
        if (const int err = temporary.createNode(source.st_mode & (S_IFMT | 0777), source.st_rdev))
            fail(err, targetLabel);
    }
    if (const int err = temporary.commit(targetName, overwrite))
        fail(err, targetLabel);
    // ntfs-3g marks a renamed file archived too: the file, reached through
    // its descriptor and not its new name, is given its attributes again.
    if (file.written)
        carry(file, sourceLabel, targetLabel);
}

void copyFile(const std::string& source, const std::string& destination, bool overwrite)
{
    struct stat st;
    if (::lstat(source.c_str(), &st) != 0)
        fail(errno, {});
    if (S_ISDIR(st.st_mode))
        fail(EISDIR, {});

    const std::string target = copyTargetPath(source, destination);
    const FolderAndName split = splitPath(target);
    if (split.name.empty() || split.name == "." || split.name == "..")
        fail(EISDIR, target);
    FileDescriptor folder;
    if (const int err = platform::openFolder(split.folder, folder))
        fail(err, target);
    copyEntry(AT_FDCWD, source.c_str(), st, {}, folder.get(), split.name.c_str(), target,
              overwrite);
}

} // namespace umbrix::fileops
