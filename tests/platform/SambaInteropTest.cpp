// Samba's own NDR code judges the user.DOSATTRIB values Umbrix writes and
// produces the values Umbrix must read.

#include "platform/AttributeStore.h"
#include "support/NtfsVolume.h" // runTool, readTextFile
#include "support/SambaTool.h"
#include "support/TempDir.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace umbrix::platform;
using umbrix::test::makeFile;
using umbrix::test::TempDir;

namespace {

class SambaInterop : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!samba_.missing().empty())
            GTEST_SKIP() << samba_.missing();
    }

    std::string samba(const std::string& path, std::vector<std::string> args)
    {
        return samba_.run(path, std::move(args));
    }

    TempDir tmp_;
    umbrix::test::SambaTool samba_{tmp_};
};

} // namespace

TEST_F(SambaInterop, SambaValuesReadAndRewriteFaithfully)
{
    // clang-format off
    struct Case {
        const char* name;
        std::vector<std::string> encode; // how the script stores Samba's value
        uint32_t read;                   // what Umbrix must read
        uint32_t write;                  // what Umbrix then stores
        const char* decoded;             // what Samba must read back
    } cases[] = {
        {"text", {"text", "0x22"}, Attr::Hidden | Attr::Archive, Attr::System,
         "version=65535 hex=0x4 attrib=0x4"},
        // A one-digit prefix that the new value outgrows.
        {"v3",
         {"encode", "3", "0x1", "valid_flags=0x3f", "attrib=0x1", "ea_size=9", "size=0x1234",
          "alloc_size=0x2000", "create_time=0x1d0000000000001", "change_time=0x1d0000000000002"},
         Attr::ReadOnly, Attr::Hidden | Attr::System | Attr::Archive,
         "version=3 hex=0x26 valid_flags=0x3f attrib=0x26 ea_size=0x9 size=0x1234 "
         "alloc_size=0x2000 create_time=0x1d0000000000001 change_time=0x1d0000000000002"},
        {"v5",
         {"encode", "5", "", "valid_flags=0x11", "attrib=0x2", "create_time=0x1d9000000000001"},
         Attr::Hidden, Attr::System | Attr::Archive,
         "version=5 hex= valid_flags=0x11 attrib=0x24 create_time=0x1d9000000000001"}};
    // clang-format on

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string f = tmp_ / c.name;
        makeFile(f, "content");
        samba(f, c.encode);
        uint32_t word = 0;
        ASSERT_EQ(queryAttributes(f, word), 0);
        EXPECT_EQ(word, c.read);
        ASSERT_EQ(storeAttributes(f, c.write), 0);
        EXPECT_EQ(samba(f, {"decode"}), c.decoded);
        ASSERT_EQ(queryAttributes(f, word), 0);
        EXPECT_EQ(word, c.write);
    }
}
