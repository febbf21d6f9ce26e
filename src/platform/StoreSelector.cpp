#include "platform/StoreSelector.h"

#include <cerrno>
#include <mutex>
#include <sys/statfs.h>
#include <vector>

namespace umbrix::platform {
namespace {

constexpr uint32_t MsdosMagic = 0x4d44;
constexpr uint32_t ExfatMagic = 0x2011BAB0;
constexpr uint32_t Ntfs3Magic = 0x7366746e;
constexpr uint32_t FuseMagic = 0x65735546;
constexpr uint32_t Smb2Magic = 0xFE534D42;
constexpr uint32_t CifsMagic = 0xFF534D42;

struct MountKey {
    uint32_t devMajor = 0;
    uint32_t devMinor = 0;
    uint64_t mountId = 0;
    bool operator==(const MountKey&) const = default;
};

struct Choice {
    MountKey key;
    StoreKind kind;
};

MountKey keyOf(const struct statx& st)
{
    const bool haveMountId = (st.stx_mask & (STATX_MNT_ID | StatxMountIdUnique)) != 0;
    return MountKey{st.stx_dev_major, st.stx_dev_minor, haveMountId ? st.stx_mnt_id : 0};
}

// The store for the mount holding `entry`; `certain` is false when the entry
// could not be examined (it vanished, say), and the answer is not kept.
StoreKind pickStore(Entry& entry, bool& certain)
{
    certain = false;
    // fstatfs on the O_PATH descriptor, so a symbolic link is judged by the
    // filesystem it lives on rather than the one it points into.
    struct statfs fs {};
    if (entry.pin() != 0 || ::fstatfs(entry.pinned(), &fs) != 0)
        return StoreKind::DosAttrib;

    certain = true;
    switch (static_cast<uint32_t>(fs.f_type)) {
    case MsdosMagic:
    case ExfatMagic:
        return StoreKind::Fat;
    case Ntfs3Magic:
        return StoreKind::Ntfs;
    case Smb2Magic:
    case CifsMagic:
        return StoreKind::Smb;
    case FuseMagic: {
        // ntfs-3g is the FUSE filesystem that answers this attribute.
        uint32_t word = 0;
        const ssize_t n = entry.getXattr("system.ntfs_attrib", &word, sizeof word);
        if (n == sizeof word)
            return StoreKind::Ntfs;
        certain = n >= 0 || n == -ENODATA || n == -ENOTSUP || n == -ERANGE;
        return StoreKind::DosAttrib;
    }
    default:
        return StoreKind::DosAttrib;
    }
}

std::mutex& choicesMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::vector<Choice>& choices()
{
    static std::vector<Choice> list;
    return list;
}

} // namespace

StoreKind storeFor(const struct statx& st, Entry& entry)
{
    // A walk stays on one mount for long runs of entries.
    thread_local Choice last{MountKey{~0u, ~0u, ~0ull}, StoreKind::DosAttrib};
    const MountKey key = keyOf(st);
    if (last.key == key)
        return last.kind;

    {
        const std::lock_guard lock(choicesMutex());
        for (const Choice& c : choices()) {
            if (c.key == key) {
                last = c;
                return c.kind;
            }
        }
    }

    bool certain = false;
    const Choice choice{key, pickStore(entry, certain)};
    if (!certain)
        return choice.kind;
    {
        const std::lock_guard lock(choicesMutex());
        choices().push_back(choice);
    }
    last = choice;
    return choice.kind;
}

} // namespace umbrix::platform
