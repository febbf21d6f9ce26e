// --undo against journals the program wrote itself.

#include "cli/AttribRun.h"
#include "journal/AttributeJournalFile.h"
#include "platform/AttributeJournal.h"
#include "platform/AttributeStore.h"
#include "platform/FileHelpers.h"
#include "support/SmbServer.h"
#include "support/TempDir.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace umbrix::test {
namespace {

namespace Attr = platform::Attr;
constexpr uint32_t H = Attr::Hidden, S = Attr::System, A = Attr::Archive;

class Undo : public ::testing::Test {
protected:
    std::string at(const std::string& name) const { return tmp / ("files/" + name); }
    uint32_t word(const std::string& name) const { return storedWord(at(name)); }
    // One run of the program, its own journal for its lifetime, making each
    // call in turn; what the last one gave.
    AttribResult runAll(const std::vector<std::vector<std::string>>& calls)
    {
        AttributeJournalFile journal(journals, "test",
                                     [this](const std::string& m) { reports.push_back(m); });
        const platform::ScopedAttributeJournal installed(journal);
        AttribResult last;
        for (const std::vector<std::string>& arguments : calls)
            last = attribHere(arguments, journals);
        return last;
    }
    AttribResult run(const std::vector<std::string>& arguments) { return runAll({arguments}); }

    TempDir tmp;
    const std::string journals = tmp / "journal";
    std::vector<std::string> reports;
};

// Each entry a run changed, and what happened to it since: an undo restores
// what is as the run left it, newest change first, and leaves alone what
// changed since.  The journal knows each entry's inode: an undo goes down to
// it from the top without following links and touches that inode alone.
TEST_F(Undo, PutsBackNewestFirstAndLeavesAloneWhatChangedSince)
{
    makeTree(tmp.path(),
             {"files/", "files/kept", "files/twice", "files/changed", "files/gone", "files/swapped",
              "files/sub/", "files/sub/f", "outside/", "outside/sub/", "outside/sub/f"});
    // The same run changes `twice` twice.
    ASSERT_EQ(runAll({{"+H", at("*"), at("sub/f")}, {"-H", "+A", at("twice")}}).status, 0);
    const std::string ours = journalsIn(journals).at(0).path;
    const std::string restored = "Restored  " + std::string(11, ' ');
    const std::string changed = "Changed since, left alone - ";
    const std::string gone = "No longer there, left alone - ";
    // Meanwhile one entry is changed, one removed, one swapped for another
    // file, and the folder of one for a link to a folder outside.
    ASSERT_EQ(platform::storeAttributes(at("changed"), H | S), 0);
    ASSERT_EQ(::unlink(at("gone").c_str()), 0);
    ASSERT_EQ(::rename(at("swapped").c_str(), at("swapped.old").c_str()), 0);
    makeFile(at("swapped"));
    setDosAttrib(at("swapped"), H);
    ASSERT_EQ(::rename(at("sub").c_str(), at("old").c_str()), 0);
    ASSERT_EQ(::symlink((tmp / "outside/sub").c_str(), at("sub").c_str()), 0);
    // Each entry, the undo's line for it and its word afterwards.
    const std::tuple<const char*, std::string, uint32_t> rows[] = {
        {"kept", restored, 0}, {"twice", restored, 0},  {"changed", changed, H | S},
        {"gone", gone, 0},     {"swapped", changed, H}, {"sub/f", changed, 0}};
    // The newest run is the newest by the time its journal records, not by its name.
    makeFile(journals + "/zzz.journal",
             "# Umbrix attribute journal 2: test, process 1, started "
             "2001-01-01T00:00:00.000000Z\n" +
                 journalLine({1, "user.DOSATTRIB", at("kept"), 0, A, {}}));

    const AttribResult r = run({"--undo"});
    EXPECT_EQ(r.status, 1) << r.err; // not everything asked was done
    EXPECT_EQ(r.err, "");
    std::vector<std::string> lines = piecesOf(r.out), expected{"Undoing " + ours};
    for (const auto& [name, note, after] : rows) {
        expected.push_back(note + at(name));
        if (note != gone) {
            EXPECT_EQ(word(name), after) << name;
        }
    }
    // Its newest change first: back to hidden, then to nothing.
    expected.push_back("Restored      H      " + at("twice"));
    expected.push_back("3 restored, 4 left alone.");
    ASSERT_EQ(lines.size(), expected.size()) << r.out;
    std::sort(lines.begin() + 1, lines.end() - 1);
    std::sort(expected.begin() + 1, expected.end() - 1);
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(word("old/f"), H);
    EXPECT_EQ(storedWord(tmp / "outside/sub/f"), 0u);

    // The undo was journalled like any run: undoing it redoes.
    ASSERT_EQ(run({"--undo"}).status, 0);
    EXPECT_EQ(word("kept"), H);
    EXPECT_EQ(word("twice"), A);
    EXPECT_TRUE(reports.empty()) << testing::PrintToString(reports);
}

TEST_F(Undo, SinceTakesOnlyTheLaterChangesAndAJournalIsNamedByItsFileName)
{
    makeTree(tmp.path(), {"files/", "files/early", "files/late"});
    ASSERT_EQ(platform::storeAttributes(at("early"), H), 0);
    ASSERT_EQ(platform::storeAttributes(at("late"), H), 0);
    makeDir(journals);
    const std::string name = "20231114T221320.000000Z-1.journal";
    makeFile(journals + "/" + name,
             journalLine({1700000000000000, "user.DOSATTRIB", at("early"), 0, H, {}}) +
                 journalLine({1700000600000000, "user.DOSATTRIB", at("late"), 0, H, {}}));

    const AttribResult r = run({"--undo", name, "--since", "2023-11-14T22:15:00Z", "--json"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(word("early"), H);
    EXPECT_EQ(word("late"), 0u);
    EXPECT_NE(r.out.find("\"note\":\"restored\""), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("early"), std::string::npos) << r.out;

    const AttribResult none = attribHere({"--undo"}, tmp / "nowhere");
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.err, "No journal to undo in " + tmp / "nowhere" + "\n");

    // What cannot be read as a journal fails the run, and blocks nothing.
    makeFile(tmp / "garbled",
             "not a journal\n" + journalLine({1, "x", "/a", 2, 0, {}}).substr(0, 20));
    ASSERT_EQ(::mkfifo((tmp / "fifo").c_str(), 0600), 0);
    makeFile(tmp / "huge");
    ASSERT_EQ(::truncate((tmp / "huge").c_str(), static_cast<off_t>(kMaxJournalBytes + 1)), 0);
    const std::pair<std::string, std::string> refused[] = {
        {tmp / "garbled", "2 unreadable lines"},
        {tmp / "fifo", "Not a regular file"},
        {"/dev/zero", "Not a regular file"},
        {tmp.path(), "Not a regular file"},
        {tmp / "huge", "Larger than any journal"}};
    for (const auto& [bad, complaint] : refused) {
        const AttribResult r = attribHere({"--undo", bad}, journals);
        EXPECT_EQ(r.status, 1) << bad;
        EXPECT_NE(r.err.find(complaint), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(bad), std::string::npos) << r.err;
    }
}

// Read-only is the stored bit alone, as smbd reads it: smbd, the program and
// the listing agree on files of either mode with and without a stored R,
// before and after +R or -R and its undo, and the mode never moves.
TEST(ReadOnly, SambaTheProgramAndTheListingAgree)
{
    TempDir tmp;
    SmbServer smb(tmp);
    if (!smb.running())
        GTEST_SKIP() << smb.skipReason();
    for (unsigned n = 0; n < 8; ++n) {
        const mode_t mode = (n & 4) ? 0444u : 0644u;
        const bool stored = n & 2;
        const std::string change = (n & 1) ? "+R" : "-R";
        const std::string name = "f" + std::to_string(n), path = smb.share() + "/" + name;
        const std::string journals = tmp / (name + ".journal");
        const auto journalled = [&](const std::vector<std::string>& arguments) {
            AttributeJournalFile journal(journals, "test", [](const std::string&) {});
            const platform::ScopedAttributeJournal installed(journal);
            attribHere(arguments, journals);
        };
        const auto readsAs = [&](bool readOnly, const char* when) {
            SCOPED_TRACE(name + " " + change + " " + when);
            bool reparse = false;
            EXPECT_EQ(smb.allinfo(name).attributes.find('R') != std::string::npos, readOnly);
            EXPECT_EQ(GetEntryAttributes(path, false, reparse) & 1, readOnly ? 1 : 0);
            EXPECT_EQ(attribHere({path}).out.substr(5, 1), readOnly ? "R" : " ");
            EXPECT_EQ(modeOf(path) & 07777, mode);
        };
        makeFile(path, "x");
        if (stored)
            smb.setmode(name, "+r");
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        readsAs(stored, "before");
        journalled({change, path});
        readsAs(change == "+R", "after");
        journalled({"--undo"});
        readsAs(stored, "undone");
    }
}

} // namespace
} // namespace umbrix::test
