// Scripts get the exact bytes of a name that is not UTF-8, judged by
// Python's own JSON and base64 decoders.

#include "cli/AttribRun.h"
#include "platform/AttributeStore.h"
#include "support/NtfsVolume.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace umbrix::test {
namespace {

namespace Attr = platform::Attr;

TEST(AttribScripts, GetTheExactBytesOfANameThatIsNotText)
{
    TempDir tmp;
    makeDir(tmp / "tree");
    makeFile(tmp / "tree/plain", "x");
    const std::string name = tmp / std::string("tree/na\xefve\xff.dat", 15);
    makeFile(name, "x");
    ASSERT_EQ(platform::storeAttributes(name, Attr::Hidden), 0);

    const AttribResult nul = attribProgram({"-0", "--unhide", tmp / "tree"}, tmp.path());
    EXPECT_EQ(nul.status, 0) << nul.err;
    EXPECT_EQ(nul.out, name + std::string(1, '\0'));

    const AttribResult json = attribProgram({"--json", "/S", tmp / "tree/*.dat"}, tmp.path());
    EXPECT_EQ(json.status, 0) << json.err;
    // Python's own JSON and base64 decoders are the judges.
    const std::string script = tmp / "decode.py";
    makeFile(script, "import base64, json, sys\n"
                     "o = json.loads(sys.stdin.readline())\n"
                     "sys.stdout.buffer.write(base64.b64decode(o['path_base64']) + b'|' +\n"
                     "  o['path'].encode() + b'|' + o['store'].encode() + b'|' +\n"
                     "  str(o['before']).encode() + b'|' + str(o['after']).encode())\n");
    makeFile(tmp / "json.txt", json.out);
    const std::string decoded = tmp / "decoded";
    const int status = std::system(
        ("/usr/bin/python3 " + script + " < " + tmp / "json.txt" + " > " + decoded).c_str());
    ASSERT_EQ(status, 0);
    const std::string shown = tmp / "tree/na\\xEFve\\xFF.dat";
    EXPECT_EQ(readTextFile(decoded), name + "|" + shown + "|user.DOSATTRIB|0|0");

    const AttribResult text = attribProgram({"/S", tmp / "tree/*.dat"}, tmp.path());
    EXPECT_EQ(text.out, "           " + shown + "\n");
}

} // namespace
} // namespace umbrix::test
