#include "platform/EntryReach.h"

#include <cerrno>
#include <fcntl.h>

namespace umbrix::platform {
namespace {

thread_local ScopedFolderReuse* folderReuse = nullptr;

} // namespace

bool isSameEntry(int folder, const FolderIdentity& found, const EntryIdentity& expected)
{
    if (!expected.known())
        return true;
    if (found.ino == expected.ino && found.dev == expected.dev)
        return true;
    FolderIdentity parent;
    return identityOf(folder, parent) == 0 && expected.dev == parent.dev && found.dev != parent.dev;
}

int openParentOf(const std::string& path, FileDescriptor& owned, int& folder, std::string& name)
{
    folder = -1;
    const size_t end = path.find_last_not_of('/');
    if (path.empty())
        return ENOENT;
    std::string_view parent;
    if (end == std::string::npos) {
        parent = "/";
        name = ".";
    } else {
        const size_t slash = path.rfind('/', end);
        name.assign(path, slash + 1, end - slash);
        parent = slash == std::string::npos ? std::string_view(".")
                 : slash == 0               ? std::string_view("/")
                                            : std::string_view(path).substr(0, slash);
    }
    if (folderReuse && folderReuse->reuse(parent, folder))
        return 0;
    const std::string parentPath(parent);
    owned = FileDescriptor(::open(parentPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!owned)
        return errno;
    folder = owned.get();
    if (folderReuse)
        folderReuse->keep(parentPath, owned);
    return 0;
}

int reachEntry(const std::string& path, const EntryIdentity& expected, ReachedEntry& entry)
{
    if (const int err = openParentOf(path, entry.owned_, entry.folder_, entry.name_))
        return err;
    // One retry after EIO, as Entry::examine does: FUSE fails the first
    // lookup of an entry whose type changed while it drops the stale inode.
    int err = identityAt(entry.folder_, entry.name_.c_str(), entry.identity_);
    if (err == EIO)
        err = identityAt(entry.folder_, entry.name_.c_str(), entry.identity_);
    if (err)
        return err;
    return isSameEntry(entry.folder_, entry.identity_, expected) ? 0 : ESTALE;
}

ScopedFolderReuse::ScopedFolderReuse() : previous_(folderReuse)
{
    folderReuse = this;
}

ScopedFolderReuse::~ScopedFolderReuse()
{
    folderReuse = previous_;
}

bool ScopedFolderReuse::reuse(std::string_view folderPath, int& folder) const
{
    if (!folder_ || folderPath != path_)
        return false;
    folder = folder_.get();
    return true;
}

void ScopedFolderReuse::keep(std::string_view folderPath, FileDescriptor& folder)
{
    path_.assign(folderPath);
    folder_ = std::move(folder);
}

} // namespace umbrix::platform
