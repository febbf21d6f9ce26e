// What umbrix-attrib writes, judged by others: Samba reads it back, ntfs-3g
// keeps it, and scripts get the exact bytes of a name that is not UTF-8.

#include "cli/AttribRun.h"
#include "platform/AttributeStore.h"
#include "support/NtfsVolume.h"
#include "support/SmbServer.h"
#include "support/TempDir.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sys/xattr.h>

namespace umbrix::test {
namespace {

namespace Attr = platform::Attr;

std::string sortedLetters(std::string letters)
{
    std::sort(letters.begin(), letters.end());
    return letters;
}

TEST(AttribPeers, SambaReadsWhatTheProgramWrote)
{
    TempDir tmp;
    const std::string share = tmp / "share";
    makeDir(share);
    SmbServer smb(tmp / "smb", share);
    if (!smb.running())
        GTEST_SKIP() << smb.skipReason();
    const struct {
        const char* name;
        std::vector<std::string> steps[2];
        const char* samba; // Samba's letters, in any order
    } cases[] = {
        {"shy.txt", {{"+H"}, {}}, "H"},
        {"all.sys", {{"+H", "+S", "+R", "+A"}, {}}, "AHRS"},
        {"was.txt", {{"+H", "+A"}, {"-H"}}, "A"},
        {"kept.txt", {{"+S"}, {"+R"}}, "S"}, // refused: names no S
        {"mixed.doc", {{"+R", "+A"}, {"-R", "+H"}}, "AH"},
    };
    for (const auto& c : cases) {
        makeFile(share + "/" + c.name, "x");
        for (const auto& step : c.steps) {
            if (step.empty())
                continue;
            std::vector<std::string> arguments = step;
            arguments.push_back(share + "/" + c.name);
            attribProgram(arguments, tmp.path());
        }
        EXPECT_EQ(sortedLetters(smb.allinfo(c.name).attributes), c.samba) << c.name;
    }
    // And the listing agrees with Samba about what Samba itself set.
    makeFile(share + "/bySamba", "x");
    smb.setmode("bySamba", "+sh");
    const AttribResult listed = attribProgram({share + "/bySamba"}, tmp.path());
    EXPECT_EQ(listed.out, "   SH      " + share + "/bySamba\n");
}

TEST(AttribPeers, OnAnNtfsVolumeTheRulesAreTheSame)
{
    TempDir tmp;
    NtfsVolume volume(tmp.path());
    if (!volume.mounted())
        GTEST_SKIP() << volume.skipReason();
    const std::string root = volume.root();
    makeTree(root, {"a.txt", "b.doc", "Sub/", "Sub/c.txt"});
    const auto raw = [&](const std::string& relative) {
        uint32_t word = 0;
        EXPECT_EQ(
            ::lgetxattr((root + "/" + relative).c_str(), "system.ntfs_attrib", &word, sizeof word),
            static_cast<ssize_t>(sizeof word));
        return word;
    };
    const auto run = [&](std::vector<std::string> arguments) {
        return attribProgram(arguments, tmp.path());
    };

    EXPECT_EQ(run({"+H", root + "/a.txt"}).status, 0);
    EXPECT_EQ(raw("a.txt") & Attr::Writable, Attr::Hidden | Attr::Archive);
    const AttribResult refused = run({"-A", root + "/a.txt"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "Not resetting hidden file - " + root + "/a.txt\n");
    EXPECT_EQ(raw("a.txt") & Attr::Writable, Attr::Hidden | Attr::Archive);

    EXPECT_EQ(run({"+S", "/S", "/D", root + "/S*"}).status, 0);
    EXPECT_EQ(raw("Sub") & (Attr::System | Attr::Directory), Attr::System | Attr::Directory);

    const AttribResult listed = run({"/S", "/D", root + "/*"});
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out, "A   H      " + root + "/a.txt\n" + "A          " + root + "/b.doc\n" +
                              "A  S       " + root + "/Sub\n" + "A          " + root +
                              "/Sub/c.txt\n");
    EXPECT_EQ(run({"-S", "-A", root + "/Sub"}).status, 0);
    EXPECT_EQ(raw("Sub") & Attr::Writable, 0u);
}

// A name with bytes that are not UTF-8 reaches a script exactly.
TEST(AttribPeers, ScriptsGetTheExactBytesOfANameThatIsNotText)
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

TEST(AttribPeers, ExitStatusesHelpAndVersion)
{
    TempDir tmp;
    makeFile(tmp / "f", "x");
    const AttribResult help = attribProgram({"--help"}, tmp.path());
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.starts_with("Usage: umbrix-attrib [+R|-R] [+A|-A] [+S|-S] [+H|-H]"));
    const AttribResult version = attribProgram({"--version"}, tmp.path());
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "umbrix-attrib 0.1.0\n");
    EXPECT_EQ(attribProgram({tmp / "f"}, tmp.path()).status, 0);
    EXPECT_EQ(attribProgram({tmp / "g"}, tmp.path()).status, 1);
    EXPECT_EQ(attribProgram({"+Z", tmp / "f"}, tmp.path()).status, 2);
}

} // namespace
} // namespace umbrix::test
