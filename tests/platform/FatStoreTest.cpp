#include "platform/AttributeStore.h"

#include "support/NtfsVolume.h" // findTool, runTool, readTextFile
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace umbrix::platform;
using umbrix::test::makeDir;
using umbrix::test::makeFile;
using umbrix::test::TempDir;

namespace {

// A small FAT-family volume on a loop device for one test.  Where the
// machine cannot make or mount one (no root, no loop devices, a kernel
// without the filesystem) the reason is kept for a visible skip.
class LoopVolume {
public:
    LoopVolume(const std::string& folder, const std::string& type, const std::string& mkfs)
        : root_(folder + "/" + type)
    {
        make(folder, type, mkfs);
    }
    ~LoopVolume()
    {
        if (mounted_ && ::umount2(root_.c_str(), 0) != 0)
            ::umount2(root_.c_str(), MNT_DETACH);
    }
    LoopVolume(const LoopVolume&) = delete;
    LoopVolume& operator=(const LoopVolume&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& skipReason() const { return reason_; }
    const std::string& root() const { return root_; }

private:
    void make(const std::string& folder, const std::string& type, const std::string& mkfs)
    {
        const std::string tool = umbrix::test::findTool(mkfs);
        const std::string mount = umbrix::test::findTool("mount");
        if (tool.empty() || mount.empty()) {
            reason_ = mkfs + " or mount is not installed";
            return;
        }
        if (::geteuid() != 0) {
            reason_ = "loop mounts need root";
            return;
        }
        const std::string image = folder + "/" + type + ".img";
        const std::string log = folder + "/" + type + ".log";
        const int fd = ::open(image.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0) << std::strerror(errno);
        ASSERT_EQ(::ftruncate(fd, 32 * 1024 * 1024), 0);
        ::close(fd);
        ASSERT_EQ(umbrix::test::runTool(tool, {image}, log), 0) << umbrix::test::readTextFile(log);
        ASSERT_EQ(::mkdir(root_.c_str(), 0755), 0);
        const std::string mountLog = log + ".mount";
        if (umbrix::test::runTool(mount, {"-t", type, "-o", "loop", image, root_}, mountLog) != 0) {
            reason_ = "cannot loop-mount a " + type + " volume here: " +
                      umbrix::test::readTextFile(mountLog);
            return;
        }
        mounted_ = true;
    }

    std::string root_;
    std::string reason_;
    bool mounted_ = false;
};

uint32_t query(const std::string& path)
{
    uint32_t word = 0xDEADBEEF;
    EXPECT_EQ(queryAttributes(path, word), 0) << path;
    return word;
}

void checkFatStore(const LoopVolume& vol)
{
    const std::string file = vol.root() + "/FILE.TXT";
    const std::string dir = vol.root() + "/DIR";
    makeFile(file, "content");
    makeDir(dir);

    EXPECT_EQ(query(file), Attr::Archive);
    EXPECT_EQ(query(dir) & Attr::Directory, Attr::Directory);

    ASSERT_EQ(storeAttributes(file, Attr::Hidden | Attr::System), 0);
    EXPECT_EQ(query(file), Attr::Hidden | Attr::System);
    // The driver keeps read-only in the mode bits itself.
    ASSERT_EQ(storeAttributes(file, Attr::ReadOnly), 0);
    EXPECT_EQ(query(file), Attr::ReadOnly);
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & S_IWUSR, 0u);

    ASSERT_EQ(storeAttributes(dir, Attr::Hidden), 0);
    EXPECT_EQ(query(dir), Attr::Directory | Attr::Hidden);
    ASSERT_EQ(storeAttributes(dir, 0), 0);
    EXPECT_EQ(query(dir), Attr::Directory);
}

} // namespace

TEST(FatStore, VfatVolumeThroughTheAttributeIoctls)
{
    TempDir tmp;
    LoopVolume vol(tmp.path(), "vfat", "mkfs.vfat");
    if (!vol.mounted())
        GTEST_SKIP() << vol.skipReason();
    checkFatStore(vol);
}

TEST(FatStore, ExfatVolumeThroughTheAttributeIoctls)
{
    TempDir tmp;
    LoopVolume vol(tmp.path(), "exfat", "mkfs.exfat");
    if (!vol.mounted())
        GTEST_SKIP() << vol.skipReason();
    checkFatStore(vol);
}
