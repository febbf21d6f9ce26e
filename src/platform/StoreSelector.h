#pragma once

#include "platform/EntryAccess.h"

#include <cstdint>
#include <sys/stat.h>

namespace umbrix::platform {

// Where a filesystem keeps the DOS attributes of its entries.
enum class StoreKind : uint8_t {
    Fat,       // FAT_IOCTL_{GET,SET}_ATTRIBUTES (vfat, msdos, exfat)
    Ntfs,      // system.ntfs_attrib (ntfs3, ntfs-3g)
    Smb,       // user.cifs.dosattrib (SMB client mounts)
    DosAttrib, // user.DOSATTRIB and the mode bits (everything else)
};

// Linux 6.8's mount id that is never handed out again; older headers lack
// the name, older kernels ignore the request and give STATX_MNT_ID.
inline constexpr unsigned StatxMountIdUnique = 0x4000U;

// statx mask that carries what storeFor() keys on.
inline constexpr unsigned StoreKeyMask =
    STATX_TYPE | STATX_MODE | STATX_MNT_ID | StatxMountIdUnique;

// The store of the filesystem holding `entry`, whose statx (with at least
// StoreKeyMask) is `st`.  The choice is made once per mount and remembered;
// mount ids keep a device number that the kernel hands out again after an
// unmount from inheriting the old filesystem's store.  The first entry seen
// on a mount is pinned to find out.
StoreKind storeFor(const struct statx& st, Entry& entry);

} // namespace umbrix::platform
