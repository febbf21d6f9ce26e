// The attribute engine on user.DOSATTRIB values as Samba writes them:
// Samba's own decoder judges what is left after a change.

#include "fileops/AttributeChange.h"
#include "fileops/FakeCommandView.h"
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
using test::TempDir;

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

} // namespace
} // namespace umbrix
