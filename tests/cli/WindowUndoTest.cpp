// A search through the window, then umbrix-attrib --undo from a terminal.

#include "cli/AttribRun.h"
#include "journal/AttributeJournalFile.h"
#include "platform/AttributeJournal.h"
#include "platform/AttributeStore.h"
#include "ui/main/MainWindowFixture.h"

#include <QAbstractButton>

namespace umbrix::test {
namespace {

namespace Attr = platform::Attr;
constexpr uint32_t H = Attr::Hidden, S = Attr::System, A = Attr::Archive, R = Attr::ReadOnly,
                   D = Attr::Directory;

class WindowThenUndo : public MainWindowFixture {
protected:
    TempDir data; // $XDG_DATA_HOME of the window and the terminal
};

TEST_F(WindowThenUndo, UndoHidesAgainWhatTheSearchUnhidAndLeavesAloneWhatChangedSince)
{
    file("one.txt", H);
    file("two.txt", H | A);
    folder("dir", H);
    file("both.sys", H | S);
    file("plain");
    const std::string odd = "dir/na\xef"
                            "ve\xff";
    file(odd, H);

    std::vector<std::string> reports;
    size_t recordsWhenTold = 0;
    {
        ::setenv("XDG_DATA_HOME", data.path().c_str(), 1);
        AttributeJournalFile journal(journalFolder(), "umbrix",
                                     [&](const std::string& m) { reports.push_back(m); });
        ::unsetenv("XDG_DATA_HOME");
        const platform::ScopedAttributeJournal installed(journal);
        // What the journal file holds when the window tells the search's end.
        ScopedMsgBoxResponder told([&](const MsgBoxCall&) {
            JournalContents contents;
            if (!journal.path().empty() && readJournal(journal.path(), contents).empty())
                recordsWhenTold = contents.records.size();
            return 1;
        });
        window->cmdSearch->click();
        ASSERT_FALSE(told.calls().empty());
    }
    EXPECT_EQ(recordsWhenTold, 4u);
    EXPECT_TRUE(reports.empty()) << testing::PrintToString(reports);
    EXPECT_EQ(storedWord(at(odd)), 0u);
    EXPECT_EQ(storedWord(at("dir")), D);
    ASSERT_EQ(platform::storeAttributes(at("two.txt"), A | R), 0); // changed in between

    const AttribResult undo = attribProgram({"--undo"}, tree.path(), data.path());
    EXPECT_EQ(undo.status, 1) << undo.err;
    EXPECT_NE(undo.out.find("Changed since, left alone - " + at("two.txt") + "\n"),
              std::string::npos)
        << undo.out;
    EXPECT_NE(undo.out.find("3 restored, 1 left alone."), std::string::npos) << undo.out;
    const std::pair<std::string, uint32_t> after[] = {
        {"one.txt", H}, {"dir", H | D}, {odd, H}, {"two.txt", A | R}, {"both.sys", H | S}, {"plain", 0}};
    for (const auto& [name, word] : after)
        EXPECT_EQ(storedWord(at(name)), word) << name;
}

} // namespace
} // namespace umbrix::test
