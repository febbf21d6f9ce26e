// A stick as a shortcut virus leaves it: the owner's folders and files
// hidden, a shortcut in the place of each, the launcher in a hidden folder,
// an autorun.inf.  The program finds the leftovers, quarantines them, the
// attributes are reset, and the journals put everything back exactly.

#include "cli/AttribRun.h"
#include "journal/JournalFolder.h"
#include "platform/AttributeStore.h"
#include "support/TempDir.h"
#include "suspects/ShellLinkBytes.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace umbrix::test {
namespace {

namespace fs = std::filesystem;
namespace Attr = platform::Attr;
constexpr uint32_t HS = Attr::Hidden | Attr::System;

// Every entry below `root`: its kind, bytes, attribute word and stored value.
std::map<std::string, std::string> snapshot(const std::string& root)
{
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string path = entry.path().string();
        std::string state = entry.is_directory() ? "folder" : "file:";
        if (entry.is_regular_file()) {
            std::ifstream in(path, std::ios::binary);
            state += std::string(std::istreambuf_iterator<char>(in), {});
        }
        state += "|" + std::to_string(storedWord(path)) + "|" + rawDosAttrib(path);
        entries[path.substr(root.size())] = state;
    }
    return entries;
}

TEST(InfectedStick, LeftoversAreFoundQuarantinedAndEverythingComesBack)
{
    TempDir tmp;
    const std::string stick = tmp / "stick";
    const auto lnk = [](ShellLinkLayout layout) { return shellLinkBytes(layout); };
    const std::string cmd = "C:\\Windows\\System32\\cmd.exe";
    makeTree(
        tmp.path(),
        {"stick/", "stick/Photos/", "stick/Photos/beach.jpg=JPEG", "stick/Photos/notes.txt=mine",
         "stick/Work/", "stick/Work/setup.exe=MZ mine", "stick/Work/report.doc=DOC",
         "stick/Thesis.docx=PK", "stick/Music/", "stick/readme.txt=hello",
         "stick/desktop.ini=[.ShellClassInfo]", "stick/WindowsServices/",
         "stick/WindowsServices/helper.vbs=CreateObject", "stick/WindowsServices/svchost.exe=MZ",
         "stick/~$WQVNX.FAT32=payload",
         "stick/autorun.inf=[AutoRun]\r\nopen=WindowsServices\\svchost.exe\r\nicon=x.ico\r\n"});
    makeFile(
        stick + "/Photos.lnk",
        lnk({cmd, "", "", "/c start WindowsServices\\helper.vbs & start explorer Photos & exit"}));
    makeFile(stick + "/Work.lnk", lnk({"E:\\WindowsServices\\svchost.exe", "", "", "Work"}));
    makeFile(stick + "/Thesis.docx.lnk",
             lnk({"C:\\Windows\\System32\\rundll32.exe", "", "",
                  "~$WQVNX.FAT32,_ldr@16 desktop.ini RET TLB \"Thesis.docx\""}));
    makeFile(stick + "/Music.lnk", lnk({"E:\\Music", "", "", ""})); // the owner's own
    for (const char* hidden : {"Photos", "Work", "Thesis.docx", "WindowsServices", "desktop.ini",
                               "~$WQVNX.FAT32", "autorun.inf", "WindowsServices/helper.vbs"})
        setDosAttrib(stick + "/" + hidden, HS);
    setDosAttrib(stick + "/WindowsServices/svchost.exe", Attr::Hidden);
    setDosAttrib(stick + "/Photos/notes.txt", Attr::Hidden);
    const std::map<std::string, std::string> before = snapshot(stick);

    const std::set<std::string> leftovers{stick + "/Photos.lnk",      stick + "/Work.lnk",
                                          stick + "/Thesis.docx.lnk", stick + "/~$WQVNX.FAT32",
                                          stick + "/autorun.inf",     stick + "/WindowsServices"};
    AttribResult r = attribProgram({"--suspects", "-0", stick}, tmp.path());
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> listed = piecesOf(r.out, '\0');
    EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()), leftovers);
    r = attribProgram({"--suspects", stick}, tmp.path());
    EXPECT_NE(r.out.find("shortcut that starts cmd, beside a hidden folder of its name - " + stick +
                         "/Photos.lnk\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("6 suspects."), std::string::npos) << r.out;

    r = attribProgram({"--suspects", "--quarantine", "--json", stick}, tmp.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("moved to " + stick + "/Umbrix quarantine/autorun.inf"), std::string::npos)
        << r.out;
    r = attribProgram({"-H", "-S", "-R", "/S", "/D", stick + "/*"}, tmp.path());
    ASSERT_EQ(r.status, 0) << r.err;
    std::set<std::string> left;
    for (const auto& [path, state] : snapshot(stick)) {
        left.insert(path.substr(0, path.find('/', 1)));
        EXPECT_EQ(storedWord(stick + path) & HS, 0u) << path;
    }
    EXPECT_EQ(left,
              (std::set<std::string>{"/Photos", "/Work", "/Thesis.docx", "/Music", "/readme.txt",
                                     "/desktop.ini", "/Music.lnk", "/Umbrix quarantine"}));
    r = attribProgram({"--suspects", "-0", stick}, tmp.path());
    EXPECT_EQ(r.out, "");

    // The attribute run first, then the quarantine.
    const std::vector<JournalFileInfo> journals = journalsIn(tmp / "data/Umbrix/journal");
    ASSERT_EQ(journals.size(), 2u);
    for (auto it = journals.rbegin(); it != journals.rend(); ++it) {
        r = attribProgram({"--undo", it->path}, tmp.path());
        ASSERT_EQ(r.status, 0) << r.err << r.out;
    }
    EXPECT_EQ(snapshot(stick), before);
}

} // namespace
} // namespace umbrix::test
