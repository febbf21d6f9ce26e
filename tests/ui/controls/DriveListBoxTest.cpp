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
// contains it as a whole folder; a single file mounted over another is no
// drive.  A refresh follows the mount table, keeping the choice while its
// volume is there.
TEST_F(DriveListBoxTest, ChoosesTheVolumeThatHoldsAPathAndFollowsTheMountTable)
{
    DriveListBox drives(nullptr, tmp / "mountinfo");
    ASSERT_EQ(drives.ListCount(), 3);
    EXPECT_EQ(drives.List(1), tmp / "vol [vfat]");
    QSignalSpy changes(&drives, &DriveListBox::Change);
    const std::pair<std::string, std::string> cases[] = {
        {tmp / "vol/inner/deep/er", tmp / "vol/inner"}, {tmp / "vol/innermost", tmp / "vol"},
        {tmp / "vol/./inner/..", tmp / "vol"}, {"/ [ext4]", "/"}, {tmp / "vol", tmp / "vol"}};
    for (const auto& [path, root] : cases) {
        drives.setDrive(path);
        EXPECT_EQ(drives.DriveRoot(), root) << path;
    }
    EXPECT_EQ(changes.count(), 4);
    EXPECT_THROW(drives.setDrive("no such drive"), Error);
    EXPECT_EQ(drives.DriveRoot(), tmp / "vol");
    drives.setCurrentIndex(2); // the user's choice counts as a change too
    EXPECT_EQ(changes.count(), 5);
    drives.setDrive(tmp / "vol");

    changes.clear();
    test::makeDir(tmp / "a");
    std::ofstream(tmp / "mountinfo")
        << line("/", "ext4") << line(tmp / "a", "ext4") << line(tmp / "vol", "vfat");
    drives.refresh();
    EXPECT_EQ(drives.ListCount(), 3);
    EXPECT_EQ(drives.DriveRoot(), tmp / "vol");
    EXPECT_EQ(changes.count(), 0);
    std::ofstream(tmp / "mountinfo") << line("/", "ext4");
    drives.refresh();
    EXPECT_EQ(drives.DriveRoot(), "/");
    EXPECT_EQ(changes.count(), 1);
}

} // namespace
} // namespace umbrix
