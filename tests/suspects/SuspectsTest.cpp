// Shortcuts made from the published format and judged by liblnk's own
// lnkinfo; the rules on their own; what the quarantine refuses.

#include "platform/AttributeStore.h"
#include "support/TempDir.h"
#include "support/Tools.h"
#include "suspects/Quarantine.h"
#include "suspects/ShellLink.h"
#include "suspects/ShellLinkBytes.h"
#include "suspects/SuspectRules.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace umbrix::test {
namespace {

using suspects::ShellLink;

TEST(ShellLinkFile, ReadsBackWhatTheFormatLaysOutAsLnkinfoDoes)
{
    TempDir tmp;
    const std::string lnkinfo = findTool("lnkinfo");
    const ShellLinkLayout layouts[] = {
        {"C:\\Windows\\System32\\cmd.exe", "", "", "/c start x.vbs & exit"},
        {"", ".\\RECYCLER\\a.exe", "%cd%", ""},
        {"E:\\My Pictures\\a b.scr", "", "", ""},
    };
    for (const ShellLinkLayout& layout : layouts) {
        ShellLink link;
        ASSERT_EQ(suspects::readShellLink(shellLinkBytes(layout), link), "");
        EXPECT_EQ(link.localPath, layout.localPath);
        EXPECT_EQ(link.relativePath, layout.relativePath);
        EXPECT_EQ(link.workingDirectory, layout.workingDirectory);
        EXPECT_EQ(link.arguments, layout.arguments);
        ASSERT_FALSE(lnkinfo.empty()) << "tools/deps.sh installs liblnk-utils";
        makeFile(tmp / "a.lnk", shellLinkBytes(layout));
        ASSERT_EQ(runTool(lnkinfo, {tmp / "a.lnk"}, tmp / "info"), 0) << readTextFile(tmp / "info");
        const std::string info = readTextFile(tmp / "info");
        for (const std::string& part : {layout.localPath, layout.relativePath, layout.arguments})
            EXPECT_TRUE(part.empty() || info.find(": " + part + "\n") != std::string::npos)
                << part << "\n"
                << info;
        std::remove((tmp / "info").c_str());
    }
}

TEST(ShellLinkFile, DamagedBytesGiveAReasonAndNothingElse)
{
    const std::string good = shellLinkBytes({"C:\\x.exe", "..\\x.exe", "", "/c start y.vbs"});
    ShellLink link;
    for (size_t size = 0; size < good.size(); ++size)
        suspects::readShellLink(good.substr(0, size), link); // the sanitizer builds judge
    EXPECT_EQ(suspects::readShellLink(good.substr(0, 19), link), "no shortcut header");
    EXPECT_NE(suspects::readShellLink(good.substr(0, 75), link), "");
    // A string that claims far more characters than the file holds.
    std::string lying = good;
    lying[lying.size() - 4 - 2 * 14 - 2] = '\xFF';
    lying[lying.size() - 4 - 2 * 14 - 1] = '\xFF';
    EXPECT_NE(suspects::readShellLink(lying, link), "");
    EXPECT_NE(suspects::readShellLink(good + std::string(suspects::kMaxShellLinkBytes, '\0'), link),
              "");
}

TEST(SuspectRules, AutorunLinesThatStartSomething)
{
    const std::pair<const char*, const char*> cases[] = {
        {"[autorun]\r\nopen=x.exe\r\n", "open=x.exe"},
        {"[AutoRun]\nicon=a.ico\nShellExecute = s\\y.vbs\n", "ShellExecute = s\\y.vbs"},
        {"[autorun]\nshell\\open\\command=x.exe\n", "shell\\open\\command=x.exe"},
        {"[autorun]\nicon=a.ico\nlabel=STICK\n", ""},
        {"[other]\nopen=x.exe\n", ""},
        {"[autorun]\nopen=\n", ""},
    };
    for (const auto& [text, line] : cases)
        EXPECT_EQ(suspects::autorunCommand(text), line) << text;
}

TEST(SuspectRules, HostsProgramsAndPathsOnTheVolume)
{
    EXPECT_EQ(suspects::interpreterOf("C:\\WINDOWS\\system32\\CMD.EXE"), "cmd");
    EXPECT_EQ(suspects::interpreterOf("wscript"), "wscript");
    EXPECT_EQ(suspects::interpreterOf("explorer.exe"), "");
    EXPECT_TRUE(suspects::isProgramOrScript("a.JSE"));
    EXPECT_FALSE(suspects::isProgramOrScript(".exe"));
    EXPECT_FALSE(suspects::isProgramOrScript("a.exe.txt"));
    EXPECT_EQ(suspects::commandWords("/c start \"\" \"a b\\c.vbs\"&x,y"),
              (std::vector<std::string>{"start", "a b\\c.vbs", "x", "y"}));
    EXPECT_EQ(suspects::volumePath("E:\\a\\.\\b").components, (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(suspects::volumePath("\\a").fromTop);
    EXPECT_FALSE(suspects::volumePath("a\\b").fromTop);
    for (const char* away : {"..\\a", "\\\\server\\share\\a", "%TEMP%\\a"})
        EXPECT_TRUE(suspects::volumePath(away).components.empty()) << away;
}

TEST(SuspectSearch, AShortcutThatCannotBeReadIsListedButNotSure)
{
    TempDir tmp;
    makeTree(tmp.path(), {"damaged.lnk=L\1\2", "elsewhere/", "link.lnk -> elsewhere/x.lnk"});
    makeFile(tmp / "elsewhere/x.lnk", shellLinkBytes({"C:\\Windows\\cmd.exe", "", "", ""}));
    ASSERT_EQ(::mkfifo((tmp / "fifo.lnk").c_str(), 0600), 0);
    const suspects::SuspectFindings found =
        suspects::findSuspects(tmp.path(), [](const std::string&) { return true; });
    std::vector<std::string> seen;
    for (const suspects::Suspect& suspect : found.suspects)
        seen.push_back(suspect.path.substr(tmp.path().size()) + (suspect.sure ? " sure" : ""));
    EXPECT_EQ(seen,
              (std::vector<std::string>{"/damaged.lnk", "/elsewhere/x.lnk sure", "/fifo.lnk"}));
    EXPECT_EQ(found.suspects.at(0).reason, "shortcut that cannot be read: no shortcut header");
}

TEST(Quarantine, AMoveThatCannotBeMadeIsReportedAndNothingIsLost)
{
    TempDir tmp;
    makeTree(tmp.path(), {"top/", "top/a=1", "top/sub/", "top/sub/a=2", "outside/", "outside/x=3",
                          "top/via -> ../outside"});
    const std::string top = tmp / "top";
    const suspects::QuarantineResult result =
        suspects::quarantine(top, {top + "/a", top + "/sub/a", top + "/via/x", tmp / "outside/x"},
                             [](const std::string&) { return true; });
    ASSERT_EQ(result.moved.size(), 2u);
    EXPECT_EQ(result.moved[1].to, top + "/Umbrix quarantine/a (2)");
    EXPECT_EQ(readTextFile(result.moved[1].to), "2");
    ASSERT_EQ(result.failures.size(), 2u);
    EXPECT_EQ(result.failures[0].path, top + "/via/x");
    EXPECT_EQ(readTextFile(tmp / "outside/x"), "3");
    EXPECT_EQ(suspects::moveBack(top + "/sub/a", result.moved[1].to, {}), 0);
    EXPECT_EQ(suspects::moveBack(top + "/sub/a", result.moved[0].to, {}), EEXIST);
    EXPECT_EQ(suspects::moveBack(top + "/a", result.moved[0].to, {1, 1}), ESTALE);
    EXPECT_EQ(suspects::removeMadeFolder(top + "/Umbrix quarantine", {}), ENOTEMPTY);
}

} // namespace
} // namespace umbrix::test
