// The attribute engine on real stores: user.DOSATTRIB values as Samba writes
// them (Samba's own decoder judges what is left after a change), and an NTFS
// volume through ntfs-3g.

#include "fileops/AttributeChange.h"
#include "fileops/FakeCommandView.h"
#include "platform/AttributeStore.h"
#include "support/NtfsVolume.h"
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
namespace Attr = platform::Attr;

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
    info = {3: xattr.DosInfo3, 4: xattr.DosInfo4, 5: xattr.DosInfo5}[d.version]()
    for key, value in (field.split('=') for field in args[2:]):
        setattr(info, key, int(value, 0))
    d.info = info
    os.setxattr(path, 'user.DOSATTRIB', ndr_pack(d))
else:
    raw = os.getxattr(path, 'user.DOSATTRIB')
    d = ndr_unpack(xattr.DOSATTRIB, raw)
    fields = ['valid_flags', 'attrib', 'ea_size', 'size', 'alloc_size', 'create_time',
              'change_time', 'itime']
    form = 'text' if raw.startswith(b'0x') and len(raw) <= 11 and b'\0' not in raw[:-1] else 'binary'
    print(' '.join([form, 'version=%d' % d.version, 'hex=' + d.attrib_hex] +
                   ['%s=%s' % (f, hex(getattr(d.info, f))) for f in fields if hasattr(d.info, f)]))
)PY";

uint32_t wordOf(const std::string& path)
{
    uint32_t word = 0;
    EXPECT_EQ(platform::queryAttributes(path, word), 0) << path;
    return word;
}

class SambaValues : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (test::runTool(SystemPython, {"-c", "import samba.ndr, samba.dcerpc.xattr"},
                          tmp / "probe.log") != 0)
            GTEST_SKIP() << "Samba's Python modules are missing (Debian package python3-samba): "
                         << test::readTextFile(tmp / "probe.log");
    }

    std::string samba(const std::string& path, std::vector<std::string> args)
    {
        const std::string log = tmp / "samba.log";
        std::remove(log.c_str());
        args.insert(args.begin(), {"-c", Script, path});
        const int status = test::runTool(SystemPython, args, log);
        std::string out = test::readTextFile(log);
        EXPECT_EQ(status, 0) << out;
        if (!out.empty() && out.back() == '\n')
            out.pop_back();
        return out;
    }

    TempDir tmp;
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
        {"v3",
         false,
         {"encode", "3", "0x2", "valid_flags=0x3f", "attrib=0x2", "ea_size=9", "size=0x1234",
          "alloc_size=0x2000", "create_time=0x1d0000000000001", "change_time=0x1d0000000000002"},
         2,
         AttributeAction::Set,
         "binary version=3 hex=0x6 valid_flags=0x3f attrib=0x6 ea_size=0x9 size=0x1234 "
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
        samba(entry, c.encode);
        EXPECT_TRUE(ChangeAttribute(view, entry, c.index, c.action, false));
        EXPECT_EQ(samba(entry, {"decode"}), c.decoded);
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

    EXPECT_EQ(wordOf(folder), Attr::Directory);
    EXPECT_EQ(wordOf(file), Attr::Archive);
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
