#include "platform/AttributeStore.h"

#include "platform/AttributeJournal.h"
#include "platform/EntryAccess.h"
#include "platform/Error.h"
#include "platform/FaultInjection.h"
#include "platform/StoreBackends.h"
#include "platform/StoreSelector.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace umbrix::platform {
namespace stores {

uint32_t visibleBits(uint32_t stored)
{
    if (stored & Attr::Normal)
        return 0;
    // ntfs3 adds NTFS's own "has a name index" bit to a folder's word.
    constexpr uint32_t NtfsIndexPresent = 0x10000000;
    return stored & ~(Attr::Directory | Attr::ReparsePoint | NtfsIndexPresent);
}

uint32_t rewrittenBits(uint32_t stored, uint32_t attributes)
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

int readWord(StoreKind kind, Entry& entry, uint32_t& stored)
{
    switch (kind) {
    case StoreKind::Fat:
        return stores::fatRead(entry, stored);
    case StoreKind::Ntfs:
        return stores::xattrWordRead(entry, NtfsAttributeName, stored);
    case StoreKind::Smb:
        return stores::xattrWordRead(entry, SmbAttributeName, stored);
    case StoreKind::DosAttrib:
        break;
    }
    return EINVAL;
}

int writeWord(StoreKind kind, Entry& entry, uint32_t stored)
{
    switch (kind) {
    case StoreKind::Fat:
        return stores::fatWrite(entry, stored);
    case StoreKind::Ntfs:
        return stores::xattrWordWrite(entry, NtfsAttributeName, stored);
    case StoreKind::Smb:
        // The client reads 0 as "leave the attributes alone".
        return stores::xattrWordWrite(entry, SmbAttributeName, stored == 0 ? Attr::Normal : stored);
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

uint32_t typeBits(const struct statx& st)
{
    if (S_ISLNK(st.stx_mode))
        return Attr::ReparsePoint;
    return S_ISDIR(st.stx_mode) ? Attr::Directory : 0;
}

// The word of `entry`, which is no link and whose statx is `st`.
int queryExamined(Entry& entry, const struct statx& st, uint32_t& word)
{
    const StoreKind kind = storeFor(st, entry);
    if (kind == StoreKind::DosAttrib)
        return stores::dosAttribQuery(entry, st, word);

    uint32_t stored = 0;
    if (const int err = readWord(kind, entry, stored)) {
        if (!storeMissing(kind, err))
            return err;
        stored = (st.stx_mode & S_IWUSR) ? 0 : Attr::ReadOnly;
    }
    word = stores::visibleBits(stored) | typeBits(st);
    return 0;
}

// Tells the installed journal of a write that made `before` read as `after`
// on the inode `st` describes.
void journalWrite(StoreKind kind, const std::string& path, const struct statx& st, uint32_t before,
                  uint32_t after)
{
    if (before == after)
        return;
    if (AttributeJournal* journal = attributeJournal())
        journal->record(kind, path, {makedev(st.stx_dev_major, st.stx_dev_minor), st.stx_ino},
                        before, after);
}

// The same for an unhiding: the word before is the stored one the unhiding
// read, with the type the walk gave, and the inode is the one the folder's
// listing gave, as the walk's rows name it; the entry is asked nothing more.
void journalUnhide(StoreKind kind, const std::string& path, size_t walkRootSize,
                   JournalIdentity identity, bool directory, uint32_t stored)
{
    AttributeJournal* journal = attributeJournal();
    if (!journal)
        return;
    const uint32_t before = stores::visibleBits(stored) | (directory ? Attr::Directory : 0);
    if (walkRootSize > 0)
        journal->recordWalked(kind, path, walkRootSize, identity, before, before & ~Attr::Hidden);
    else
        journal->record(kind, path, identity, before, before & ~Attr::Hidden);
}

// The failure of a write of `merged` over `stored`, as a person can act on
// it: an owner refused by the FAT or exFAT driver with the system bit in
// play lacks CAP_LINUX_IMMUTABLE, which is the driver's only such rule.
int refusal(StoreKind kind, const struct statx& st, int err, uint32_t stored, uint32_t merged)
{
    if (storeMissing(kind, err))
        return StoreRefusal::NoReachableAttributes;
    if (kind == StoreKind::Fat && err == EPERM && ((stored | merged) & Attr::System) &&
        st.stx_uid == ::geteuid())
        return StoreRefusal::systemBitNeedsRoot(stores::visibleBits(stored), merged);
    return err;
}

int storeExamined(StoreKind kind, Entry& entry, const struct statx& st, uint32_t attributes)
{
    if (kind == StoreKind::DosAttrib)
        return stores::dosAttribStore(entry, st, attributes);

    uint32_t stored = 0;
    if (const int err = readWord(kind, entry, stored))
        return refusal(kind, st, err, stored, stored);
    const uint32_t merged = stores::rewrittenBits(stored, attributes);
    if (merged == stored)
        return 0;
    if (const int err = writeWord(kind, entry, merged))
        return refusal(kind, st, err, stored, merged);
    return 0;
}

} // namespace

int queryAttributesAt(int folderFd, const char* name, const std::string& path, uint32_t& word)
{
    word = 0;
    const int fault = injectedFault(FaultPoint::ReadAttributes, path);
    Entry entry(folderFd, name);
    struct statx st;
    if (const int err = entry.examine(StoreKeyMask, st))
        return fault ? fault : err;
    word = typeBits(st);
    if (fault || S_ISLNK(st.stx_mode))
        return fault;
    return queryExamined(entry, st, word);
}

int storeAttributesAt(int folderFd, const char* name, const std::string& path, uint32_t attributes)
{
    if (const int fault = injectedFault(FaultPoint::WriteAttributes, path))
        return fault;

    Entry entry(folderFd, name);
    struct statx st;
    if (const int err =
            entry.examine(StoreKeyMask | STATX_UID | STATX_BTIME | STATX_MTIME | STATX_CTIME, st))
        return err;
    if (S_ISLNK(st.stx_mode))
        return EPERM;

    const StoreKind kind = storeFor(st, entry);
    uint32_t before = 0;
    const bool journalled = attributeJournal() && queryExamined(entry, st, before) == 0;
    if (const int err = storeExamined(kind, entry, st, attributes))
        return err;
    if (journalled)
        journalWrite(kind, path, st, before,
                     (before & ~Attr::Writable) | (attributes & Attr::Writable));
    return 0;
}

int copyDosAttributes(int sourceFd, int targetFd, bool& onTarget)
{
    onTarget = false;
    Entry source = Entry::opened(sourceFd);
    struct statx st;
    uint32_t word = 0;
    if (const int err = source.examine(StoreKeyMask, st))
        return err;
    if (const int err = queryExamined(source, st, word))
        return err;
    onTarget = true;
    Entry target = Entry::opened(targetFd);
    if (const int err =
            target.examine(StoreKeyMask | STATX_UID | STATX_BTIME | STATX_MTIME | STATX_CTIME, st))
        return err;
    return plainErrno(storeExamined(storeFor(st, target), target, st, word & Attr::Writable));
}

int FolderAttributes::of(int folderFd, FolderAttributes& attributes, FolderIdentity& identity)
{
    struct statx st;
    Entry folder(folderFd, ".");
    if (::statx(folderFd, "", AT_EMPTY_PATH | AT_NO_AUTOMOUNT, StoreKeyMask | STATX_INO, &st) != 0)
        return errno;
    identity.dev = makedev(st.stx_dev_major, st.stx_dev_minor);
    identity.ino = st.stx_ino;
    identity.hasMountId = (st.stx_mask & (STATX_MNT_ID | StatxMountIdUnique)) != 0;
    identity.mountId = st.stx_mnt_id;
    identity.mode = st.stx_mode;
    attributes.folderFd_ = folderFd;
    attributes.device_ = identity.dev;
    attributes.kind_ = static_cast<uint8_t>(storeFor(st, folder));
    return 0;
}

int FolderAttributes::query(const char* name, unsigned char type, const std::string& path,
                            uint32_t& word) const
{
    if (type == DT_UNKNOWN)
        return queryAttributesAt(folderFd_, name, path, word);
    word = type == DT_LNK ? Attr::ReparsePoint : type == DT_DIR ? Attr::Directory : 0;
    if (const int fault = injectedFault(FaultPoint::ReadAttributes, path))
        return fault;
    if (type == DT_LNK)
        return 0;
    Entry entry(folderFd_, name);
    const auto kind = static_cast<StoreKind>(kind_);
    uint32_t stored = 0;
    if (kind == StoreKind::DosAttrib) {
        if (const int err = stores::dosAttribStoredBits(entry, stored))
            return err;
    } else if (const int err = readWord(kind, entry, stored)) {
        if (!storeMissing(kind, err))
            return err;
        stored = 0;
    }
    word |= stores::visibleBits(stored);
    return 0;
}

int FolderAttributes::unhide(const char* name, ino_t inode, bool directory, const std::string& path,
                             uint32_t& stored, size_t walkRootSize) const
{
    stored = 0;
    if (const int fault = injectedFault(FaultPoint::WriteAttributes, path))
        return fault;
    Entry entry(folderFd_, name);
    const auto kind = static_cast<StoreKind>(kind_);
    if (kind == StoreKind::DosAttrib) {
        const int err = stores::dosAttribUnhide(entry, stored);
        if (err == 0 && isUnhideCandidate(stored))
            journalUnhide(kind, path, walkRootSize, {device_, inode}, directory, stored);
        return err;
    }
    uint32_t word = 0;
    if (const int err = readWord(kind, entry, word))
        return storeMissing(kind, err) ? StoreRefusal::NoReachableAttributes : err;
    stored = stores::visibleBits(word);
    if (!isUnhideCandidate(stored))
        return 0;
    if (const int err = writeWord(kind, entry, word & ~Attr::Hidden))
        return storeMissing(kind, err) ? StoreRefusal::NoReachableAttributes : err;
    journalUnhide(kind, path, walkRootSize, {device_, inode}, directory, word);
    return 0;
}

StoreKind FolderAttributes::store() const
{
    return static_cast<StoreKind>(kind_);
}

AttributeChange changeAttributes(const std::string& path, const WordChange& change,
                                 const EntryIdentity& expected)
{
    AttributeChange result;
    ReachedEntry reached;
    const int readFault = injectedFault(FaultPoint::ReadAttributes, path);
    if (const int err = reachEntry(path, expected, reached)) {
        result.queryError = readFault ? readFault : err;
        return result;
    }
    Entry entry(reached.folder(), reached.name());
    struct statx st;
    const int err =
        entry.examine(StoreKeyMask | STATX_UID | STATX_BTIME | STATX_MTIME | STATX_CTIME, st);
    if (err || readFault) {
        result.queryError = readFault ? readFault : err;
        return result;
    }
    // The value read for the word is the one the write goes over: one read
    // of user.DOSATTRIB, as a command over many rows reads each once.
    const StoreKind kind = S_ISLNK(st.stx_mode) ? StoreKind::DosAttrib : storeFor(st, entry);
    stores::DosAttribValue value;
    int readError = 0; // of user.DOSATTRIB; only "no user xattrs here" gets past the query
    result.before = typeBits(st);
    if (!S_ISLNK(st.stx_mode)) {
        int queryErr = 0;
        if (kind == StoreKind::DosAttrib) {
            readError = value.read(entry);
            queryErr = readError == ENOTSUP || readError == EOPNOTSUPP ? 0 : readError;
            if (!queryErr)
                result.before = value.word(st);
        } else {
            queryErr = queryExamined(entry, st, result.before);
        }
        if (queryErr) {
            result.queryError = queryErr;
            return result;
        }
    }
    const std::optional<uint32_t> wanted = change(result.before);
    if (!wanted)
        return result;
    result.asked = true;
    result.wanted = *wanted;
    if (const int fault = injectedFault(FaultPoint::WriteAttributes, path)) {
        result.storeError = fault;
        return result;
    }
    if (S_ISLNK(st.stx_mode)) {
        result.storeError = EPERM;
        return result;
    }
    if (kind != StoreKind::DosAttrib)
        result.storeError = storeExamined(kind, entry, st, *wanted);
    else
        result.storeError = readError ? EOPNOTSUPP : value.write(entry, st, *wanted);
    if (!result.storeError)
        journalWrite(kind, path, st, result.before,
                     (result.before & ~Attr::Writable) | (*wanted & Attr::Writable));
    return result;
}

int queryAttributes(const std::string& path, uint32_t& word, const EntryIdentity& expected)
{
    word = 0;
    ReachedEntry reached;
    if (const int err = reachEntry(path, expected, reached)) {
        const int fault = injectedFault(FaultPoint::ReadAttributes, path);
        return fault ? fault : err;
    }
    return queryAttributesAt(reached.folder(), reached.name(), path, word);
}

int storeAttributes(const std::string& path, uint32_t attributes, const EntryIdentity& expected)
{
    ReachedEntry reached;
    if (const int err = reachEntry(path, expected, reached)) {
        const int fault = injectedFault(FaultPoint::WriteAttributes, path);
        return fault ? fault : err;
    }
    return storeAttributesAt(reached.folder(), reached.name(), path, attributes);
}

} // namespace umbrix::platform
