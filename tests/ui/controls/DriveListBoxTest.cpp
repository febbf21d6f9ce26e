#include "ui/controls/DriveListBox.h"

#include "platform/Error.h"
#include "support/TempDir.h"

#include <QSignalSpy>
#include <fstream>
#include <gtest/gtest.h>

namespace umbrix {
namespace {

std::string line(const std::string& mountPoint, const std::string& type,
                 const std::string& optional = "shared:1")
{
    return "30 1 8:1 / " + mountPoint + " rw,relatime " + optional + " - " + type + " /dev/x rw\n";
}

TEST(MountTable, KeepsWhatAPersonBrowses)
{
    // clang-format off
    const std::pair<std::string, std::string> mounts[] = {
        {"/", "ext4"}, {"/proc", "proc"}, {"/sys", "sysfs"}, {"/sys/fs/cgroup", "cgroup2"},
        {"/dev", "devtmpfs"}, {"/dev/shm", "tmpfs"}, {"/run", "tmpfs"}, {"/run/user/1000", "tmpfs"},
        {"/run/media/me/STICK", "vfat"}, {"/tmp", "tmpfs"}, {"/snap/core/1", "squashfs"},
        {"/proc/sys/fs/binfmt_misc", "binfmt_misc"}, {"/home", "btrfs"}};
    // clang-format on
    // Any number of optional fields, an escaped blank, a line of no use.
    std::string table = line("/media/usb\\040stick", "vfat", "") +
                        line("/home", "xfs", "master:3 shared:4") + "garbage line\n";
    for (const auto& [mountPoint, type] : mounts)
        table += line(mountPoint, type);
    std::vector<std::string> kept;
    for (const Volume& v : parseMountInfo(table))
        kept.push_back(v.mountPoint + " " + v.fsType);
    // Mounted over, only the visible filesystem counts.
    EXPECT_EQ(kept, (std::vector<std::string>{"/ ext4", "/home btrfs", "/media/usb stick vfat",
                                              "/run/media/me/STICK vfat", "/tmp tmpfs"}));
    // Without "/" in the table the root is still offered.
    EXPECT_EQ(parseMountInfo(line("/data", "ext4")).front().mountPoint, "/");
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
        std::ofstream(tmp / "mountinfo")
            << line("/", "ext4") << line(tmp / "vol", "vfat") << line(tmp / "vol/inner", "ext4")
            << line(tmp / "hosts", "ext4");
    }

    test::TempDir tmp;
};

// The volume holding a path is the one with the longest mount point that
// contains it as a whole folder.
TEST_F(DriveListBoxTest, ChoosesTheVolumeThatHoldsAPath)
{
    DriveListBox drives(nullptr, tmp / "mountinfo");
    // A single file mounted over another is no drive.
    ASSERT_EQ(drives.ListCount(), 3);
    EXPECT_EQ(drives.List(0), "/ [ext4]");
    EXPECT_EQ(drives.List(1), tmp / "vol [vfat]");
    EXPECT_EQ(drives.ListRoot(2), tmp / "vol/inner");

    QSignalSpy changes(&drives, &DriveListBox::Change);
    drives.setDrive(tmp / "vol/inner/deep/er");
    EXPECT_EQ(drives.Drive(), tmp / "vol/inner [ext4]");
    drives.setDrive(tmp / "vol/innermost");
    EXPECT_EQ(drives.DriveRoot(), tmp / "vol");
    drives.setDrive(tmp / "vol/./inner/..");
    EXPECT_EQ(drives.ListIndex(), 1);
    drives.setDrive("/ [ext4]");
    EXPECT_EQ(drives.DriveRoot(), "/");
    EXPECT_EQ(changes.count(), 3);

    EXPECT_THROW(drives.setDrive("no such drive"), Error) << "relative text accepted";
    EXPECT_EQ(drives.DriveRoot(), "/");
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
    std::ofstream(tmp / "mountinfo")
        << line("/", "ext4") << line(tmp / "a", "ext4") << line(tmp / "vol", "vfat");
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

} // namespace
} // namespace umbrix
