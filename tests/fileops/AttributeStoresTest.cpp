// The attribute engine on real stores: user.DOSATTRIB values as Samba writes
// them (Samba's own decoder judges what is left after a change), and an NTFS
// volume through ntfs-3g.

#include "fileops/AttributeChange.h"
#include "fileops/FakeCommandView.h"
#include "platform/AttributeStore.h"
#include "support/NtfsVolume.h"
#include "support/SambaTool.h"
#include "support/TempDir.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace umbrix {
namespace {

using test::FakeCommandView;
using test::makeDir;
using test::makeFile;
using test::storedWord;
using test::TempDir;
namespace Attr = platform::Attr;

class SambaValues : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!samba.missing().empty())
            GTEST_SKIP() << samba.missing();
    }

    TempDir tmp;
    test::SambaTool samba{tmp};
    FakeCommandView view;
};

TEST_F(SambaValues, AChangeKeepsTheStoredFormAndEveryOtherField)
{
    struct Case {
        const char* name;
        bool directory;
        std::vector<std::string> encode;
        int16_t index;
        int16_t action;
        const char* decoded;
    } cases[] = {
        {"text",
         false,
         {"text", "0x22"},
         1,
         AttributeAction::Clear,
         "text version=65535 hex=0x20 attrib=0x20"},
        {"text-dir",
         true,
         {"text", "0x12"},
         1,
         AttributeAction::Clear,
         "text version=65535 hex=0x10 attrib=0x10"},
        // A one-digit prefix that the new word outgrows.
        {"v3",
         false,
         {"encode", "3", "0x1", "valid_flags=0x3f", "attrib=0x1", "ea_size=9", "size=0x1234",
          "alloc_size=0x2000", "create_time=0x1d0000000000001", "change_time=0x1d0000000000002"},
         3,
         AttributeAction::Set,
         "binary version=3 hex=0x21 valid_flags=0x3f attrib=0x21 ea_size=0x9 size=0x1234 "
         "alloc_size=0x2000 create_time=0x1d0000000000001 change_time=0x1d0000000000002"},
        {"v4-dir",
         true,
         {"encode", "4", "", "valid_flags=0x11", "attrib=0x12", "itime=0x1d8000000000003",
          "create_time=0x1d8000000000004"},
         1,
         AttributeAction::Clear,
         "binary version=4 hex= valid_flags=0x11 attrib=0x10 create_time=0x1d8000000000004 "
         "itime=0x1d8000000000003"},
        {"v5",
         false,
         {"encode", "5", "", "valid_flags=0x11", "attrib=0x22", "create_time=0x1d9000000000001"},
         3,
         AttributeAction::Clear,
         "binary version=5 hex= valid_flags=0x11 attrib=0x2 create_time=0x1d9000000000001"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string entry = tmp / c.name;
        c.directory ? makeDir(entry) : makeFile(entry, "content");
        samba.run(entry, c.encode);
        EXPECT_TRUE(ChangeAttribute(view, entry, c.index, c.action, false));
        EXPECT_EQ(samba.run(entry, {"decode"}), c.decoded);
        struct stat st;
        ASSERT_EQ(::lstat(entry.c_str(), &st), 0);
        EXPECT_EQ(S_ISDIR(st.st_mode), c.directory);
    }
    EXPECT_TRUE(view.boxes.empty());
}

TEST(NtfsAttributes, AHiddenDirectoryUnhiddenStaysADirectory)
{
    TempDir tmp;
    test::NtfsVolume volume(tmp.path());
    if (!volume.mounted())
        GTEST_SKIP() << volume.skipReason();
    const std::string folder = volume.root() + "/Secret";
    const std::string file = volume.root() + "/notes.txt";
    makeDir(folder);
    makeDir(folder + "/inside");
    makeFile(file, "text");
    ASSERT_EQ(platform::storeAttributes(folder, Attr::Hidden), 0);
    ASSERT_EQ(platform::storeAttributes(file, Attr::Hidden | Attr::Archive), 0);

    FakeCommandView view;
    EXPECT_TRUE(ChangeAttribute(view, folder, 1, AttributeAction::Clear, false));
    EXPECT_TRUE(ChangeAttribute(view, file, 1, AttributeAction::Clear, false));
    EXPECT_TRUE(view.boxes.empty());

    EXPECT_EQ(storedWord(folder), Attr::Directory);
    EXPECT_EQ(storedWord(file), Attr::Archive);
    struct stat st;
    ASSERT_EQ(::lstat(folder.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_TRUE(test::exists(folder + "/inside"));
    ASSERT_EQ(::lstat(file.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(test::readTextFile(file), "text");
}

} // namespace
} // namespace umbrix
