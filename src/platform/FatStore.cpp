#include "platform/StoreBackends.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace umbrix::platform::stores {
namespace {

// From <linux/msdos_fs.h>, which does not build as C++ on every kernel
// header version.
constexpr unsigned long FatGetAttributes = 0x80047210; // _IOR('r', 0x10, __u32)
constexpr unsigned long FatSetAttributes = 0x40047211; // _IOW('r', 0x11, __u32)

class Descriptor {
public:
    explicit Descriptor(const char* path)
        // Directories open read-only too; O_NONBLOCK keeps a FIFO from
        // blocking the open.
        : fd_(::open(path, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC))
    {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

int fatRead(const char* path, uint32_t& stored)
{
    const Descriptor fd(path);
    if (fd.get() < 0)
        return errno;
    uint32_t attributes = 0;
    if (::ioctl(fd.get(), FatGetAttributes, &attributes) != 0)
        return errno;
    stored = attributes;
    return 0;
}

int fatWrite(const char* path, uint32_t stored)
{
    const Descriptor fd(path);
    if (fd.get() < 0)
        return errno;
    uint32_t attributes = stored;
    if (::ioctl(fd.get(), FatSetAttributes, &attributes) != 0)
        return errno;
    return 0;
}

} // namespace umbrix::platform::stores
