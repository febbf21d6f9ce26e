#include "platform/AttributeStore.h"

#include "platform/FaultInjection.h"
#include "platform/StoreBackends.h"
#include "platform/StoreSelector.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace umbrix::platform {
namespace stores {

uint32_t visibleBits(uint32_t stored)
{
    if (stored & Attr::Normal)
        return 0;
    return stored & ~(Attr::Directory | Attr::ReparsePoint);
}

uint32_t mergedBits(uint32_t stored, uint32_t attributes)
{
    const uint32_t result =
        (stored & ~(Attr::Writable | Attr::Normal)) | (attributes & Attr::Writable);
    // "Normal" only stands alone: it goes when a bit is set and stays when
    // the write leaves nothing else.
    return result == 0 && (stored & Attr::Normal) ? Attr::Normal : result;
}

} // namespace stores

namespace {

constexpr const char* NtfsAttributeName = "system.ntfs_attrib";
constexpr const char* SmbAttributeName = "user.cifs.dosattrib";

int statEntry(int folderFd, const char* name, unsigned extraMask, struct statx& st)
{
    // AT_NO_AUTOMOUNT: looking at an automount point must not mount it.
    // One retry after EIO: when an entry's type changes under FUSE (ntfs-3g
    // turns an empty system file into a FIFO) the kernel fails the first
    // lookup while it drops the stale inode, and the next one succeeds.
    for (int attempt = 0;; ++attempt) {
        if (::statx(folderFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, StoreKeyMask | extraMask,
                    &st) == 0)
            return 0;
        if (errno != EIO || attempt == 1)
            return errno;
    }
}

int statEntry(const std::string& path, unsigned extraMask, struct statx& st)
{
    return statEntry(AT_FDCWD, path.c_str(), extraMask, st);
}

int readWord(StoreKind kind, const char* path, uint32_t& stored)
{
    switch (kind) {
    case StoreKind::Fat:
        return stores::fatRead(path, stored);
    case StoreKind::Ntfs:
        return stores::xattrWordRead(path, NtfsAttributeName, stored);
    case StoreKind::Smb:
        return stores::xattrWordRead(path, SmbAttributeName, stored);
    case StoreKind::DosAttrib:
        break;
    }
    return EINVAL;
}

int writeWord(StoreKind kind, const char* path, uint32_t stored)
{
    switch (kind) {
    case StoreKind::Fat:
        return stores::fatWrite(path, stored);
    case StoreKind::Ntfs:
        return stores::xattrWordWrite(path, NtfsAttributeName, stored);
    case StoreKind::Smb:
        // The client reads 0 as "leave the attributes alone".
        return stores::xattrWordWrite(path, SmbAttributeName, stored == 0 ? Attr::Normal : stored);
    case StoreKind::DosAttrib:
        break;
    }
    return EINVAL;
}

// exFAT before Linux 6.7 has no attribute ioctls: such a volume has no store.
bool storeMissing(StoreKind kind, int err)
{
    return kind == StoreKind::Fat && err == ENOTTY;
}

// The word of the entry at `path`, whose statx is `st`.
int queryExamined(const std::string& path, const struct statx& st, uint32_t& word)
{
    if (S_ISLNK(st.stx_mode)) {
        word = Attr::ReparsePoint;
        return 0;
    }

    const StoreKind kind = storeFor(st, path.c_str());
    if (kind == StoreKind::DosAttrib)
        return stores::dosAttribQuery(path.c_str(), st, word);

    uint32_t stored = 0;
    if (const int err = readWord(kind, path.c_str(), stored)) {
        if (!storeMissing(kind, err))
            return err;
        stored = (st.stx_mode & S_IWUSR) ? 0 : Attr::ReadOnly;
    }
    word = stores::visibleBits(stored) | (S_ISDIR(st.stx_mode) ? Attr::Directory : 0);
    return 0;
}

} // namespace

int queryAttributes(const std::string& path, uint32_t& word)
{
    if (const int fault = injectedFault(FaultPoint::ReadAttributes, path))
        return fault;
    struct statx st;
    if (const int err = statEntry(path, 0, st))
        return err;
    return queryExamined(path, st, word);
}

int queryAttributesAt(int folderFd, const char* name, const std::string& path, uint32_t& word)
{
    if (const int fault = injectedFault(FaultPoint::ReadAttributes, path))
        return fault;
    struct statx st;
    if (const int err = statEntry(folderFd, name, 0, st))
        return err;
    const int err = queryExamined(path, st, word);
    if (err)
        word = S_ISDIR(st.stx_mode) ? Attr::Directory : 0;
    return err;
}

int storeAttributesAt(int, const char*, const std::string& path, uint32_t attributes)
{
    return storeAttributes(path, attributes);
}

int storeAttributes(const std::string& path, uint32_t attributes)
{
    if (const int fault = injectedFault(FaultPoint::WriteAttributes, path))
        return fault;

    struct statx st;
    if (const int err = statEntry(path, STATX_BTIME | STATX_MTIME | STATX_CTIME, st))
        return err;

    const StoreKind kind = storeFor(st, path.c_str());
    if (kind == StoreKind::DosAttrib)
        return stores::dosAttribStore(path.c_str(), st, attributes);

    uint32_t stored = 0;
    if (const int err = readWord(kind, path.c_str(), stored))
        return storeMissing(kind, err) ? EOPNOTSUPP : err;
    const uint32_t merged = stores::mergedBits(stored, attributes);
    if (merged == stored)
        return 0;
    if (const int err = writeWord(kind, path.c_str(), merged))
        return storeMissing(kind, err) ? EOPNOTSUPP : err;
    return 0;
}

} // namespace umbrix::platform
