// The program's own work on a volume that the test guest (tools/guest)
// mounted with a real kernel driver: $UMBRIX_GUEST_VOLUME is a folder on it,
// $UMBRIX_GUEST_FS the driver's name, and for a share $UMBRIX_GUEST_SERVED
// the folder the server keeps it in.  Outside the guest every case skips.

#include "cli/AttribRun.h"
#include "fileops/DeleteCommand.h"
#include "fileops/FakeCommandView.h"
#include "platform/AttributeStore.h"
#include "platform/Error.h"
#include "support/SambaTool.h"
#include "support/TempDir.h"
#include "ui/main/MainWindowFixture.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <gtest/gtest.h>
#include <regex>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace umbrix {
namespace {

namespace Attr = platform::Attr;
using test::storedWord;
using Words = std::vector<uint32_t>;

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

class GuestVolume : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (environment("UMBRIX_GUEST_VOLUME").empty())
            GTEST_SKIP() << "no volume here: the test guest (tools/guest) mounts one";
        const std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        root = environment("UMBRIX_GUEST_VOLUME") + "/" + name;
        served = environment("UMBRIX_GUEST_SERVED");
        served = served.empty() ? "" : served + "/" + name;
        test::makeDir(root);
    }

    std::string at(const std::string& relative) const { return root + "/" + relative; }

    // Stores each word and gives back a reader of them all, as the volume
    // has them now (the bits a write may change; ksmbd adds sparse).
    auto storeAll(const std::vector<std::pair<std::string, uint32_t>>& entries)
    {
        for (const auto& [name, word] : entries)
            EXPECT_EQ(platform::storeAttributes(at(name), word), 0) << name;
        return [this, entries] {
            Words words;
            for (const auto& entry : entries)
                words.push_back(storedWord(at(entry.first)) & Attr::Writable);
            return words;
        };
    }

    std::string attrib(const std::vector<std::string>& arguments) const
    {
        const test::AttribResult result = test::attribProgram(arguments, work.path());
        EXPECT_EQ(result.status, 0) << result.err;
        return result.out;
    }

    std::string root;
    std::string served;
    test::TempDir work; // in the guest's memory: journals and logs
};

TEST_F(GuestVolume, EveryCombinationTheStoreHolds)
{
    test::checkWordStore(root, environment("UMBRIX_GUEST_FS") != "exfat");
}

// A stick as a shortcut virus leaves it, cleaned by the search's walk and by
// attrib's classic command line, then put back by the journal.
TEST_F(GuestVolume, TheCommandLineUnhidesChangesListsAndUndoes)
{
    test::makeTree(root, {"Photos/", "Photos/img.jpg=x", "notes.txt=x", "autorun.inf=x"});
    const uint32_t H = Attr::Hidden, S = Attr::System, R = Attr::ReadOnly, A = Attr::Archive;
    const auto words = storeAll({{"Photos", H | S},
                                 {"Photos/img.jpg", H},
                                 {"notes.txt", H | A},
                                 {"autorun.inf", H | S | R}});
    const Words infected = words();
    ASSERT_EQ(infected, (Words{H | S, H, H | A, H | S | R}));
    const std::string listing = attrib({"/S", "/D", root + "/*"});
    EXPECT_NE(listing.find("  SHR     " + at("autorun.inf")), std::string::npos) << listing;

    attrib({"--unhide", root});
    const Words unhidden{H | S, 0, A, H | S | R};
    EXPECT_EQ(words(), unhidden);
    attrib({"-H", "-S", "-R", "/S", "/D", root + "/*"});
    EXPECT_EQ(words(), (Words{0, 0, A, 0}));

    attrib({"--undo"});
    EXPECT_EQ(words(), unhidden);
    // The older run, the walk's, by its journal file.
    std::vector<std::string> journals;
    const std::string folder = work.path() + "/data/Umbrix/journal";
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir))
            if (entry->d_name[0] != '.')
                journals.push_back(folder + "/" + entry->d_name);
        ::closedir(dir);
    }
    ASSERT_EQ(journals.size(), 3u);
    std::sort(journals.begin(), journals.end());
    attrib({"--undo", journals.front()});
    EXPECT_EQ(words(), infected);
    EXPECT_EQ(attrib({"/S", "/D", root + "/*"}), listing);
}

TEST_F(GuestVolume, ADeleteTakesProtectedEntriesAway)
{
    test::makeTree(root, {"Photos/", "Photos/img.jpg=x", "autorun.inf=x"});
    storeAll({{"Photos/img.jpg", Attr::ReadOnly | Attr::Hidden},
              {"Photos", Attr::Hidden | Attr::System},
              {"autorun.inf", Attr::ReadOnly | Attr::Hidden | Attr::System}});
    const FileSystemObject fs;
    test::FakeCommandView view;
    EXPECT_EQ(deleteFolderEntry(view, fs, at("Photos")), CommandEnd::Finished);
    EXPECT_EQ(deleteFileEntry(view, fs, at("autorun.inf")), CommandEnd::Finished);
    EXPECT_TRUE(view.boxes.empty());
    EXPECT_FALSE(test::exists(at("Photos")));
    EXPECT_FALSE(test::exists(at("autorun.inf")));
}

// The server's own record beside the file on its disk: Samba's decoder reads
// what the client's store asked for, the program reads the server's form
// (ksmbd writes one of its own) and a write over it keeps that form.
TEST_F(GuestVolume, TheServersOwnValueAgrees)
{
    if (served.empty())
        GTEST_SKIP() << "not a share";
    test::SambaTool samba(work);
    if (!samba.missing().empty())
        GTEST_SKIP() << samba.missing();
    test::makeFile(at("file"), "x");
    ASSERT_EQ(platform::storeAttributes(at("file"), Attr::Hidden | Attr::System), 0);
    const std::string before = samba.run(served + "/file", {"decode"});
    std::smatch stored;
    ASSERT_TRUE(std::regex_search(before, stored, std::regex(" attrib=0x([0-9a-f]+)"))) << before;
    const uint32_t attrib = static_cast<uint32_t>(std::stoul(stored[1], nullptr, 16));
    EXPECT_EQ(attrib & Attr::Writable, Attr::Hidden | Attr::System) << before;
    EXPECT_EQ(storedWord(served + "/file"), attrib);

    ASSERT_EQ(platform::storeAttributes(served + "/file", Attr::Hidden), 0);
    char after[32];
    std::snprintf(after, sizeof after, " attrib=0x%x", attrib & ~Attr::System);
    EXPECT_EQ(samba.run(served + "/file", {"decode"}),
              std::regex_replace(before, std::regex(" attrib=0x[0-9a-f]+"), after));
    EXPECT_EQ(storedWord(at("file")) & Attr::Writable, Attr::Hidden);
}

// Copies to and from the guest's ext4 volume ($UMBRIX_GUEST_EXT4) carry
// the attributes through both stores; the guest judges them once more after
// unmounting and mounting both volumes again.
TEST_F(GuestVolume, CopiesCarryTheAttributesToAndFromExt4)
{
    const std::string ext4 =
        environment("UMBRIX_GUEST_EXT4") + "/" + environment("UMBRIX_GUEST_FS");
    test::makeDir(ext4);
    test::makeTree(root, {"out.txt=x"});
    test::makeFile(ext4 + "/in.txt", "x");
    const uint32_t H = Attr::Hidden, S = Attr::System, R = Attr::ReadOnly, A = Attr::Archive;
    ASSERT_EQ(platform::storeAttributes(at("out.txt"), H | A), 0);
    ASSERT_EQ(platform::storeAttributes(ext4 + "/in.txt", H | S | R), 0);
    const FileSystemObject fs;
    fs.CopyFile(at("out.txt"), ext4 + "/", false);
    fs.CopyFile(ext4 + "/in.txt", root + "/", false);
    EXPECT_EQ(storedWord(ext4 + "/out.txt") & Attr::Writable, H | A);
    EXPECT_EQ(storedWord(at("in.txt")) & Attr::Writable, H | S | R);
}

// As a desktop mounts a stick for the user who plugged it in: each attribute
// set by umbrix-attrib as that user, where the driver keeps the ones named
// in $UMBRIX_GUEST_REFUSED to root.  A refusal says which and what to do.
TEST_F(GuestVolume, AnOrdinaryUserChangesWhatTheDriverLetsIt)
{
    ASSERT_NE(::geteuid(), 0u) << "the guest runs this case as an ordinary user";
    const std::string refused = environment("UMBRIX_GUEST_REFUSED");
    for (const auto& [letter, bit] :
         {std::pair{'R', Attr::ReadOnly}, std::pair{'H', Attr::Hidden},
          std::pair{'S', Attr::System}, std::pair{'A', Attr::Archive}}) {
        const std::string file = at(std::string(1, letter));
        test::makeFile(file, "x");
        const test::AttribResult r =
            test::attribProgram({"+" + std::string(1, letter), file}, work.path());
        if (refused.find(letter) == std::string::npos) {
            EXPECT_EQ(r.err, "") << letter;
            EXPECT_EQ(storedWord(file) & bit, bit) << letter; // new files come archived
            continue;
        }
        EXPECT_EQ(r.err, SystemMessageText(StoreRefusal::systemBitNeedsRoot(0, bit)) + " - " +
                             file + "\n");
        EXPECT_EQ(storedWord(file) & bit, 0u) << letter;
    }
}

// The stick as a shortcut virus leaves it, laid out by the guest with
// another program (fatattr) at $UMBRIX_GUEST_STICK: the main window's search
// lists every hidden or system entry and unhides what was hidden alone, then
// attrib's classic command clears the rest; the guest judges it all again
// after a remount.
class GuestStick : public test::MainWindowFixture {};

TEST_F(GuestStick, TheWindowsSearchThenAttribsClassicCommandCleanIt)
{
    const std::string stick = environment("UMBRIX_GUEST_STICK");
    if (stick.empty())
        GTEST_SKIP() << "no stick here: the test guest (tools/guest) lays one out";
    const std::string nbsp = stick + "/\xc2\xa0";
    window->browser.dirList->setPath(stick);
    window->cmdSearch->click();
    std::vector<std::string> rows = resultRows();
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows,
              (std::vector<std::string>{stick + "/Photos", stick + "/Photos/beach.jpg",
                                        stick + "/Work", stick + "/Work/report.doc",
                                        stick + "/autorun.inf", nbsp, nbsp + "/Thesis.docx"}));
    for (const char* unhidden : {"/Photos/beach.jpg", "/Work/report.doc", "/\xc2\xa0/Thesis.docx"})
        EXPECT_EQ(storedWord(stick + unhidden) & (Attr::Hidden | Attr::System), 0u) << unhidden;
    EXPECT_EQ(storedWord(nbsp) & Attr::Writable, Attr::Hidden | Attr::System);

    const test::AttribResult r =
        test::attribProgram({"-h", "-s", "-r", "/s", "/d", stick + "/*"}, tree.path());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(storedWord(nbsp) & Attr::Writable, 0u);
}

} // namespace
} // namespace umbrix
