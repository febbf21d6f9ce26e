#include "ui/controls/DriveListBox.h"
#include "ui/controls/FileListBox.h"
#include "ui/main/MainWindowFixture.h"

namespace umbrix {
namespace {

using test::MainWindowFixture;

class BrowserPanel : public MainWindowFixture {};

TEST_F(BrowserPanel, OpeningADirectoryMovesTheFileListAndTheCurrentDirectory)
{
    folder("inner");
    file("inner/note.txt");
    window->dirList->setPath(at("inner"));
    EXPECT_EQ(window->filList->Path(), at("inner"));
    EXPECT_EQ(app().CurrentPath, at("inner"));
    char here[4096];
    ASSERT_NE(::getcwd(here, sizeof here), nullptr);
    EXPECT_EQ(std::string(here), at("inner"));
    EXPECT_EQ(window->filList->ListCount(), 1);
}

TEST_F(BrowserPanel, AVolumeOpensWhereItWasLeftAndTheDriveListFollowsTheDirectories)
{
    DriveListBox& drives = *window->drvList.get();
    const std::string home = drives.DriveRoot();
    int other = -1;
    for (int i = 0; i < drives.ListCount() && other < 0; ++i)
        if (drives.ListRoot(i) != home)
            other = i;
    if (other < 0)
        GTEST_SKIP() << "this machine offers a single volume";
    const std::string otherRoot = drives.ListRoot(other);

    drives.setDrive(otherRoot);
    EXPECT_EQ(window->dirList->Path(), otherRoot);

    drives.setDrive(home);
    EXPECT_EQ(window->dirList->Path(), tree.path()) << "back where it was left";

    window->dirList->setPath(otherRoot);
    EXPECT_EQ(drives.DriveRoot(), otherRoot);
    EXPECT_TRUE(messages.calls().empty());
}

} // namespace
} // namespace umbrix
