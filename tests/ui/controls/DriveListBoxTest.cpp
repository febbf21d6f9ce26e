#include "ui/controls/DriveListBox.h"

#include "platform/Error.h"
#include "support/TempDir.h"

#include <QSignalSpy>
#include <fstream>
#include <gtest/gtest.h>

namespace umbrix {
namespace {

std::string line(const std::string& mountPoint, const std::string& type)
{
    return "30 1 8:1 / " + mountPoint + " rw,relatime shared:1 - " + type + " /dev/x rw\n";
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
