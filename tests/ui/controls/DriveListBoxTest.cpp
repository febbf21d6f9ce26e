#include "platform/Error.h"
#include "support/TempDir.h"
#include "ui/controls/DriveListBox.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <fstream>

namespace umbrix {
namespace {

std::vector<std::string> mountPoints(const std::vector<Volume>& volumes)
{
    std::vector<std::string> all;
    for (const Volume& v : volumes)
        all.push_back(v.mountPoint);
    return all;
}

std::string line(const std::string& mountPoint, const std::string& type, const std::string& optional = "shared:1")
{
    return "30 1 8:1 / " + mountPoint + " rw,relatime " + optional + " - " + type + " /dev/x rw\n";
}

TEST(MountTable, KeepsWhatAPersonBrowses)
{
    const std::string table = line("/", "ext4") + line("/proc", "proc") + line("/sys", "sysfs") +
                              line("/sys/fs/cgroup", "cgroup2") + line("/dev", "devtmpfs") +
                              line("/dev/shm", "tmpfs") + line("/run", "tmpfs") + line("/run/user/1000", "tmpfs") +
                              line("/run/media/me/STICK", "vfat") + line("/tmp", "tmpfs") +
                              line("/proc/sys/fs/binfmt_misc", "binfmt_misc") + line("/snap/core/1", "squashfs") +
                              line("/media/usb\\040stick", "vfat", "") + line("/home", "xfs", "master:3 shared:4") +
                              line("/home", "btrfs") + "garbage line\n";
    const auto volumes = parseMountInfo(table);
    EXPECT_EQ(mountPoints(volumes),
              (std::vector<std::string>{"/", "/home", "/media/usb stick", "/run/media/me/STICK", "/tmp"}));
    // Mounted over: only the visible filesystem counts.
    EXPECT_EQ(volumes[1].fsType, "btrfs");
    EXPECT_EQ(volumes[2].fsType, "vfat");

    // Without "/" in the table the root is still offered.
    const auto bare = parseMountInfo(line("/data", "ext4"));
    EXPECT_EQ(mountPoints(bare), (std::vector<std::string>{"/", "/data"}));
}

TEST(MountTable, VolumeHoldingIsTheDeepestWholeComponentPrefix)
{
    const std::vector<Volume> volumes{{"/", "ext4"}, {"/media/usb", "vfat"}, {"/media/usb/inner", "ext4"}};
    EXPECT_EQ(volumeHolding(volumes, "/media/usb"), 1);
    EXPECT_EQ(volumeHolding(volumes, "/media/usb/dir/file"), 1);
    EXPECT_EQ(volumeHolding(volumes, "/media/usb/inner/x"), 2);
    EXPECT_EQ(volumeHolding(volumes, "/media/usb2/x"), 0);
    EXPECT_EQ(volumeHolding(volumes, "/"), 0);
    EXPECT_EQ(volumeHolding(volumes, "media/usb"), -1);
}

// A drive list over a made-up mount table whose volumes are folders of the
// test, so that the list can tell folders from files as it does for real.
class DriveListBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::makeDir(tmp / "vol");
        test::makeDir(tmp / "vol/inner");
        test::makeFile(tmp / "hosts");
        std::ofstream(tmp / "mountinfo") << line("/", "ext4") << line(tmp / "vol", "vfat")
                                         << line(tmp / "vol/inner", "ext4") << line(tmp / "hosts", "ext4");
    }

    test::TempDir tmp;
};

TEST_F(DriveListBoxTest, ChoosesTheVolumeThatHoldsAPath)
{
    DriveListBox drives(nullptr, tmp / "mountinfo");
    // A single file mounted over another is not a drive.
    ASSERT_EQ(drives.ListCount(), 3);
    EXPECT_EQ(drives.List(0), "/ [ext4]");
    EXPECT_EQ(drives.List(1), tmp / "vol [vfat]");
    EXPECT_EQ(drives.ListRoot(2), tmp / "vol/inner");

    QSignalSpy changes(&drives, &DriveListBox::Change);
    drives.setDrive(tmp / "vol/inner/deep/er");
    EXPECT_EQ(drives.DriveRoot(), tmp / "vol/inner");
    EXPECT_EQ(drives.Drive(), tmp / "vol/inner [ext4]");
    drives.setDrive(tmp / "vol/innermost");
    EXPECT_EQ(drives.DriveRoot(), tmp / "vol");
    drives.setDrive(tmp / "vol/./inner/..");
    EXPECT_EQ(drives.ListIndex(), 1);
    EXPECT_EQ(changes.count(), 2);

    drives.setDrive("/ [ext4]");
    EXPECT_EQ(drives.DriveRoot(), "/");
    EXPECT_EQ(changes.count(), 3);

    try {
        drives.setDrive("no such drive");
        ADD_FAILURE() << "relative text accepted";
    } catch (const Error& e) {
        EXPECT_EQ(e.number, 68);
    }
    EXPECT_EQ(drives.DriveRoot(), "/");
    EXPECT_EQ(changes.count(), 3);

    // The user's choice counts as a change too.
    drives.setCurrentIndex(2);
    EXPECT_EQ(changes.count(), 4);
}

TEST_F(DriveListBoxTest, RefreshFollowsTheMountTable)
{
    DriveListBox drives(nullptr, tmp / "mountinfo");
    drives.setDrive(tmp / "vol");
    QSignalSpy changes(&drives, &DriveListBox::Change);

    // A new volume sorted in before the current one leaves the choice alone.
    test::makeDir(tmp / "a");
    std::ofstream(tmp / "mountinfo") << line("/", "ext4") << line(tmp / "a", "ext4") << line(tmp / "vol", "vfat");
    drives.refresh();
    EXPECT_EQ(drives.ListCount(), 3);
    EXPECT_EQ(drives.DriveRoot(), tmp / "vol");
    EXPECT_EQ(changes.count(), 0);

    // The current volume unmounted: back to "/".
    std::ofstream(tmp / "mountinfo") << line("/", "ext4");
    drives.refresh();
    EXPECT_EQ(drives.DriveRoot(), "/");
    EXPECT_EQ(changes.count(), 1);
}

TEST(DriveListBoxSystem, OffersTheRootOfThisMachine)
{
    DriveListBox drives;
    ASSERT_GE(drives.ListCount(), 1);
    EXPECT_EQ(drives.ListRoot(0), "/");
    EXPECT_TRUE(drives.List(0).starts_with("/"));
    drives.setDrive("/etc/passwd");
    EXPECT_FALSE(drives.DriveRoot().empty());
    EXPECT_TRUE(std::string("/etc/passwd").starts_with(drives.DriveRoot()));
}

} // namespace
} // namespace umbrix
