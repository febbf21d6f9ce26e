#include "suspects/Quarantine.h"

#include "platform/AttributeJournal.h"
#include "platform/FolderHandle.h"
#include "platform/HoldingFolder.h"
#include "platform/PathChain.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace umbrix::suspects {
namespace {

// rename without replacing, also where the filesystem does not offer
// RENAME_NOREPLACE (some FUSE drivers): there a look first must do.
int renameNoReplace(int fromFd, const char* from, int toFd, const char* to)
{
    if (::renameat2(fromFd, from, toFd, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    struct stat st {};
    if (::fstatat(toFd, to, &st, AT_SYMLINK_NOFOLLOW) == 0)
        return EEXIST;
    return ::renameat(fromFd, from, toFd, to) == 0 ? 0 : errno;
}

platform::JournalIdentity identityOfEntry(int folderFd, const std::string& name)
{
    platform::FolderIdentity found;
    if (platform::identityAt(folderFd, name.c_str(), found) != 0)
        return {};
    return {static_cast<uint64_t>(found.dev), static_cast<uint64_t>(found.ino)};
}

// 0, ENOENT or ESTALE: whether the entry `name` of the open folder is the
// inode `identity` names.
int checkIdentity(int folderFd, const std::string& name, platform::JournalIdentity identity)
{
    platform::FolderIdentity found;
    if (const int err = platform::identityAt(folderFd, name.c_str(), found))
        return err;
    return found.dev != identity.device || found.ino != identity.inode ? ESTALE : 0;
}

// The folder holding the journalled `path`, reached from the top without
// following a link, and, when `identity` names one, the check that the entry
// is still that inode (a missing entry is no failure when none is named).
// 0, ESTALE for a link on the way or another inode, or an errno.
int openRecorded(const std::string& path, platform::JournalIdentity identity,
                 platform::FileDescriptor& folder, std::string& name)
{
    int err = platform::openHoldingFolder(path, folder, name);
    if (err == ELOOP || err == ENOTDIR)
        return ESTALE;
    if (err == 0 && identity != platform::JournalIdentity{})
        err = checkIdentity(folder.get(), name, identity);
    return err;
}

// Opens, from `topFd`, the folders of `relative` but its last component,
// each without following a link.  0 or an errno.
int openParent(int topFd, const std::string& topPath, std::string_view relative,
               platform::FileDescriptor& parent, std::string& name)
{
    platform::FileDescriptor at;
    int fd = topFd;
    std::string path = topPath;
    size_t start = 0;
    for (size_t slash; (slash = relative.find('/', start)) != std::string_view::npos;
         start = slash + 1) {
        const std::string part(relative.substr(start, slash - start));
        if (part.empty() || part == "." || part == "..")
            return EINVAL;
        path = joinPath(path, part);
        platform::FileDescriptor next;
        if (const int err = platform::openFolderAt(fd, part.c_str(), path, next))
            return err;
        at = std::move(next);
        fd = at.get();
    }
    name = relative.substr(start);
    if (name.empty() || name == "." || name == "..")
        return EINVAL;
    if (fd == topFd) {
        // The caller's descriptor is lent, not handed over.
        const int copy = ::fcntl(topFd, F_DUPFD_CLOEXEC, 0);
        if (copy < 0)
            return errno;
        at = platform::FileDescriptor(copy);
    }
    parent = std::move(at);
    return 0;
}

int openQuarantine(int topFd, const std::string& topPath, platform::FileDescriptor& folder)
{
    const std::string name(kQuarantineFolder);
    const std::string path = joinPath(topPath, name);
    if (::mkdirat(topFd, name.c_str(), 0700) == 0) {
        if (platform::AttributeJournal* journal = platform::attributeJournal())
            journal->recordFolderMade(path, identityOfEntry(topFd, name));
    } else if (errno != EEXIST) {
        return errno;
    }
    return platform::openFolderAt(topFd, name.c_str(), path, folder);
}

} // namespace

QuarantineResult quarantine(const std::string& top, const std::vector<std::string>& paths,
                            const FolderVisit& visit)
{
    QuarantineResult result;
    const std::string topPath = withoutTrailingSlashes(top);
    platform::FileDescriptor topFd;
    platform::FileDescriptor folder;
    int err = platform::openFolder(topPath, topFd);
    if (err == 0 && !paths.empty())
        err = openQuarantine(topFd.get(), topPath, folder);
    if (err != 0) {
        for (const std::string& path : paths)
            result.failures.push_back({path, err});
        return result;
    }
    const std::string folderPath = joinPath(topPath, kQuarantineFolder);
    const std::string prefix = withTrailingSlash(topPath);
    for (const std::string& path : paths) {
        if (!visit(path)) {
            result.stopped = true;
            break;
        }
        const std::string_view relative = std::string_view(path).substr(
            std::min(prefix.size(), path.size()));
        platform::FileDescriptor parent;
        std::string name;
        if (!path.starts_with(prefix) ||
            relative.starts_with(std::string(kQuarantineFolder) + "/")) {
            err = EINVAL;
        } else {
            err = openParent(topFd.get(), topPath, relative, parent, name);
        }
        // The same name may come from several folders: the later ones get a
        // number after it.
        std::string target = name;
        for (int n = 2; err == 0; ++n) {
            err = renameNoReplace(parent.get(), name.c_str(), folder.get(), target.c_str());
            if (err != EEXIST || n > 999)
                break;
            target = name + " (" + std::to_string(n) + ")";
            err = 0;
        }
        if (err != 0) {
            result.failures.push_back({path, err});
            continue;
        }
        const std::string to = joinPath(folderPath, target);
        if (platform::AttributeJournal* journal = platform::attributeJournal())
            journal->recordMove(path, to, identityOfEntry(folder.get(), target));
        result.moved.push_back({path, to});
    }
    platform::flushAttributeJournal();
    return result;
}

int moveBack(const std::string& from, const std::string& to, platform::JournalIdentity identity)
{
    platform::FileDescriptor source;
    platform::FileDescriptor target;
    std::string sourceName;
    std::string targetName;
    int err = openRecorded(to, identity, source, sourceName);
    if (err == 0)
        err = openRecorded(from, {}, target, targetName);
    return err != 0 ? err
                    : renameNoReplace(source.get(), sourceName.c_str(), target.get(),
                                      targetName.c_str());
}

int removeMadeFolder(const std::string& path, platform::JournalIdentity identity)
{
    platform::FileDescriptor parent;
    std::string name;
    if (const int err = openRecorded(path, identity, parent, name))
        return err;
    return ::unlinkat(parent.get(), name.c_str(), AT_REMOVEDIR) == 0 ? 0 : errno;
}

} // namespace umbrix::suspects
