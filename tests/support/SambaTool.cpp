#include "support/SambaTool.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace umbrix::test {
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
    words = ['version=%d' % d.version, 'hex=' + d.attrib_hex] + \
        ['%s=%s' % (f, hex(getattr(d.info, f))) for f in fields if hasattr(d.info, f)]
    text = raw.startswith(b'0x') and len(raw) <= 11 and b'\0' not in raw[:-1]
    words.insert(0, 'text' if text else 'binary')
    print(' '.join(words))
)PY";

} // namespace

SambaTool::SambaTool(const TempDir& dir) : log_(dir / "samba.log")
{
    const std::string probe = dir / "samba-probe.log";
    if (runTool(SystemPython, {"-c", "import samba.ndr, samba.dcerpc.xattr"}, probe) != 0)
        absent("Samba's Python modules are missing (Debian package python3-samba): " +
               readTextFile(probe));
}

std::string SambaTool::run(const std::string& path, std::vector<std::string> args) const
{
    std::remove(log_.c_str());
    args.insert(args.begin(), {"-c", Script, path});
    const int status = runTool(SystemPython, args, log_);
    std::string out = readTextFile(log_);
    EXPECT_EQ(status, 0) << out;
    if (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

} // namespace umbrix::test
