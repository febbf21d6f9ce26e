#include "support/NtfsVolume.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <thread>
#include <unistd.h>

namespace umbrix::test {
namespace {

bool isFuseMount(const std::string& path)
{
    constexpr long kFuseMagic = 0x65735546;
    struct statfs fs {};
    return ::statfs(path.c_str(), &fs) == 0 && fs.f_type == kFuseMagic;
}

// Tries `step` every tenth of a second for five seconds: the daemon may
// still be busy with its last request, or with writing the image out.
template <typename Step> bool retried(Step step)
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (step())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

} // namespace

NtfsVolume::NtfsVolume(const std::string& folder)
    : root_(folder + "/ntfs"), image_(folder + "/ntfs.img"), log_(folder + "/ntfs-tools.log")
{
    mounted_ = mount();
}

bool NtfsVolume::mount()
{
    if (::access("/dev/fuse", R_OK | W_OK) != 0)
        return absent(std::string("/dev/fuse is not usable here: ") + std::strerror(errno));
    const std::string mkntfs = findTool("mkntfs");
    if (mkntfs.empty() || findTool("ntfs-3g").empty())
        return absent("mkntfs or ntfs-3g is not installed (Debian package ntfs-3g)");
    const int fd = ::open(image_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const bool sized = fd >= 0 && ::ftruncate(fd, off_t{32} << 20) == 0;
    const std::string sizeError = std::strerror(errno);
    if (fd >= 0)
        ::close(fd);
    if (!sized)
        return failed("cannot create the NTFS image " + image_ + ": " + sizeError);
    if (runTool(mkntfs, {"-F", "-Q", image_}, log_) != 0)
        return failed("mkntfs failed: " + readTextFile(log_));
    if (::mkdir(root_.c_str(), 0755) != 0)
        return failed("cannot create the mount point " + root_ + ": " + std::strerror(errno));
    if (runTool(findTool("ntfs-3g"), {image_, root_}, log_) != 0 || !isFuseMount(root_))
        return failed("ntfs-3g could not mount the volume: " + readTextFile(log_));
    return true;
}

bool NtfsVolume::unmount()
{
    std::string fusermount = findTool("fusermount3");
    if (fusermount.empty())
        fusermount = findTool("fusermount");
    retried([&] {
        return !isFuseMount(root_) ||
               (::geteuid() == 0 ? ::umount2(root_.c_str(), 0) == 0
                                 : runTool(fusermount, {"-u", root_}, "/dev/null") == 0);
    });
    return !isFuseMount(root_);
}

bool NtfsVolume::remount()
{
    if (!mounted_ || !unmount())
        return false;
    mounted_ = retried([this] {
        return runTool(findTool("ntfs-3g"), {image_, root_}, log_) == 0 && isFuseMount(root_);
    });
    return mounted_;
}

NtfsVolume::~NtfsVolume()
{
    if (mounted_ && !unmount()) {
        ADD_FAILURE() << "could not unmount " << root_ << "; detaching it";
        ::umount2(root_.c_str(), MNT_DETACH);
    }
}

} // namespace umbrix::test
