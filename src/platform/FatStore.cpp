#include "platform/StoreBackends.h"

#include <cerrno>
#include <sys/ioctl.h>

namespace umbrix::platform::stores {
namespace {

// From <linux/msdos_fs.h>, which does not build as C++ on every kernel
// header version.
constexpr unsigned long FatGetAttributes = 0x80047210; // _IOR('r', 0x10, __u32)
constexpr unsigned long FatSetAttributes = 0x40047211; // _IOW('r', 0x11, __u32)

} // namespace

int fatRead(const Entry& entry, uint32_t& stored)
{
    const FileDescriptor fd = entry.openForIoctl();
    if (!fd)
        return errno;
    uint32_t attributes = 0;
    if (::ioctl(fd.get(), FatGetAttributes, &attributes) != 0)
        return errno;
    stored = attributes;
    return 0;
}

int fatWrite(const Entry& entry, uint32_t stored)
{
    const FileDescriptor fd = entry.openForIoctl();
    if (!fd)
        return errno;
    uint32_t attributes = stored;
    if (::ioctl(fd.get(), FatSetAttributes, &attributes) != 0)
        return errno;
    return 0;
}

} // namespace umbrix::platform::stores
