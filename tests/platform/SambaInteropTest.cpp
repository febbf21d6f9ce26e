// Samba's own NDR code judges the user.DOSATTRIB values Umbrix writes and
// produces the values Umbrix must read.

#include "platform/AttributeStore.h"
#include "support/NtfsVolume.h" // runTool, readTextFile
#include "support/TempDir.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace umbrix::platform;
using umbrix::test::makeFile;
using umbrix::test::TempDir;

namespace {

// Debian's Samba modules belong to the system interpreter, which need not be
// the python3 first on PATH.
constexpr const char* SystemPython = "/usr/bin/python3";

constexpr const char* Script = R"PY(
import os, sys
from samba.dcerpc import xattr
from samba.ndr import ndr_pack, ndr_unpack
path, command, args = sys.argv[1], sys.argv[2], sys.argv[3:]
if command == 'text':
    os.setxattr(path, 'user.DOSATTRIB', args[0].encode() + b'\0')
elif command == 'encode':
    d = xattr.DOSATTRIB()
    d.version, d.attrib_hex = int(args[0]), args[1]
    info = {3: xattr.DosInfo3, 5: xattr.DosInfo5}[d.version]()
    for key, value in (field.split('=') for field in args[2:]):
        setattr(info, key, int(value, 0))
    d.info = info
    os.setxattr(path, 'user.DOSATTRIB', ndr_pack(d))
else:
    d = ndr_unpack(xattr.DOSATTRIB, os.getxattr(path, 'user.DOSATTRIB'))
    fields = ['valid_flags', 'attrib', 'ea_size', 'size', 'alloc_size', 'create_time',
              'change_time']
    print(' '.join(['version=%d' % d.version, 'hex=' + d.attrib_hex] +
                   ['%s=%s' % (f, hex(getattr(d.info, f))) for f in fields if hasattr(d.info, f)]))
)PY";

class SambaInterop : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (umbrix::test::runTool(SystemPython, {"-c", "import samba.ndr, samba.dcerpc.xattr"},
                                  tmp_ / "probe.log") != 0)
            GTEST_SKIP() << "Samba's Python modules are missing (Debian package python3-samba): "
                         << umbrix::test::readTextFile(tmp_ / "probe.log");
    }

    // Runs the script on `path`; returns its output without the final line
    // break, and fails the test when Samba refuses.
    std::string samba(const std::string& path, std::vector<std::string> args)
    {
        const std::string log = tmp_ / "samba.log";
        std::remove(log.c_str());
        args.insert(args.begin(), {"-c", Script, path});
        const int status = umbrix::test::runTool(SystemPython, args, log);
        std::string out = umbrix::test::readTextFile(log);
        EXPECT_EQ(status, 0) << out;
        if (!out.empty() && out.back() == '\n')
            out.pop_back();
        return out;
    }

    TempDir tmp_;
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
