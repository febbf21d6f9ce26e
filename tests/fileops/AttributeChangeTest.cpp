#include "fileops/AttributeChange.h"

#include "fileops/FakeCommandView.h"
#include "platform/AttributeStore.h"
#include "platform/Error.h"
#include "platform/FaultInjection.h"
#include "platform/MsgBoxCodes.h"
#include "support/TempDir.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

namespace umbrix {
namespace {

using platform::FaultPoint;
using platform::ScopedFaultHook;
using test::FakeCommandView;
using test::FakeRows;
using test::makeDir;
using test::makeFile;
using test::setDosAttrib;
using test::storedWord;
namespace Attr = platform::Attr;

constexpr int16_t Clear = AttributeAction::Clear;
constexpr int16_t Set = AttributeAction::Set;

TEST(AttributeArithmetic, NewWordForEveryKindOfStartingWord)
{
    struct Case {
        uint32_t word;
        int16_t index;
        int16_t action;
        std::optional<uint32_t> written;
    } cases[] = {
        {32, 1, Set, 34},
        {34, 1, Clear, 32},
        {1, 0, Set, std::nullopt}, // already read-only
        // A directory is always written, without its directory bit.
        {16, 1, Set, 2},
        {16, 3, Clear, 0},
        // Bits beyond the five are dropped: 8224 is archive and 0x2000.
        {8224, 3, Clear, 0},
        {8224, 3, Set, std::nullopt},
        // A link's word (reparse point) counts as no attributes.
        {Attr::ReparsePoint, 1, Set, 2},
        // No bit outside 0 to 3; an unknown action does nothing.
        {32, 4, Set, std::nullopt},
        {32, -1, Set, std::nullopt},
        {48, 9, Set, 32},
        {32, 1, 2, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "word " << c.word << " index " << c.index << " action " << c.action);
        EXPECT_EQ(changedAttributeWord(c.word, c.index, c.action), c.written);
    }
}

class AttributeEngine : public ::testing::Test {
protected:
    std::string hiddenFile(const std::string& name, uint32_t attributes = Attr::Hidden)
    {
        makeFile(tmp / name, "x");
        setDosAttrib(tmp / name, attributes);
        return tmp / name;
    }

    test::TempDir tmp;
    FakeCommandView view;
};

TEST_F(AttributeEngine, ChangeAndResetWriteOnlyWhenTheWordChanges)
{
    const std::string f = hiddenFile("f", Attr::Archive);
    EXPECT_TRUE(ChangeAttribute(view, f, 1, Set, false));
    EXPECT_EQ(storedWord(f), Attr::Archive | Attr::Hidden);
    EXPECT_FALSE(ChangeAttribute(view, f, 1, Set, false));
    makeDir(tmp / "d");
    EXPECT_TRUE(ChangeAttribute(view, tmp / "d", 1, Set, false));
    EXPECT_EQ(storedWord(tmp / "d"), Attr::Directory | Attr::Hidden);
    // Reset clears the protective bits and keeps archive.
    setDosAttrib(f, Attr::ReadOnly | Attr::Hidden | Attr::System | Attr::Archive);
    EXPECT_TRUE(ResetAttributes(view, f));
    EXPECT_EQ(storedWord(f), Attr::Archive);
    EXPECT_FALSE(ResetAttributes(view, f));
    EXPECT_TRUE(view.boxes.empty());
}

TEST_F(AttributeEngine, AMissingEntryIsReportedUnlessQuiet)
{
    EXPECT_FALSE(ChangeAttribute(view, tmp / "missing", 1, Set, true));
    EXPECT_TRUE(view.boxes.empty());
    EXPECT_FALSE(ChangeAttribute(view, tmp / "missing", 1, Set, false));
    EXPECT_FALSE(ResetAttributes(view, tmp / "missing"));
    ASSERT_EQ(view.boxes.size(), 2u);
    EXPECT_EQ(view.boxes[0].prompt, "No such file or directory");
    EXPECT_EQ(view.boxes[0].buttons, MsgBoxStyle::Critical);
    EXPECT_EQ(view.boxes[0].title, "Umbrix");
    EXPECT_EQ(view.boxes[1].prompt, tmp / "missing" + "\r\rNo such file or directory");
    EXPECT_EQ(view.boxes[1].title, "Reset file attribute");
    EXPECT_EQ(view.boxes[1].buttons, MsgBoxStyle::Exclamation);
}

TEST_F(AttributeEngine, BoxCommandSkipsUnreadableEntriesQuietly)
{
    FakeRows rows;
    rows.add(hiddenFile("a"), true);
    rows.add(hiddenFile("b"), false);
    rows.add(tmp / "vanished", true);
    rows.add(hiddenFile("c"), true);
    bool changed = false;
    EXPECT_EQ(changeSelectedRows(view, rows, 2, Set, true, changed), CommandEnd::Finished);
    EXPECT_TRUE(changed);
    EXPECT_TRUE(view.boxes.empty());
    EXPECT_EQ(storedWord(rows.paths[0]), Attr::Hidden | Attr::System);
    EXPECT_EQ(storedWord(rows.paths[1]), Attr::Hidden);
    EXPECT_EQ(storedWord(rows.paths[3]), Attr::Hidden | Attr::System);

    changed = false;
    EXPECT_EQ(changeSelectedRows(view, rows, 2, Set, true, changed), CommandEnd::Finished);
    EXPECT_FALSE(changed);
}

TEST_F(AttributeEngine, ListFailureInTheBoxCommandOffersRetry)
{
    const std::string first = hiddenFile("a");
    const std::string second = hiddenFile("b");
    struct Case {
        bool offerCancel;
        int answer;
        CommandEnd end;
        uint32_t second; // the word of row 1 afterwards
    } cases[] = {{true, MsgBoxAnswer::Yes, CommandEnd::Finished, Attr::Hidden | Attr::Archive},
                 {false, MsgBoxAnswer::No, CommandEnd::Finished, Attr::Hidden},
                 {true, MsgBoxAnswer::Cancel, CommandEnd::Abandoned, Attr::Hidden}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        view = FakeCommandView{};
        view.answer = [&](const FakeCommandView::Box&) { return c.answer; };
        setDosAttrib(second, Attr::Hidden);
        FakeRows rows;
        rows.add(first, true);
        rows.add(second, true);
        rows.failAt = 1;
        bool changed = false;
        EXPECT_EQ(changeSelectedRows(view, rows, 3, Set, c.offerCancel, changed), c.end);
        ASSERT_EQ(view.boxes.size(), 1u);
        EXPECT_EQ(view.boxes[0].title, "Set Attribute Error, Retry?");
        EXPECT_EQ(view.boxes[0].prompt, "\r\rOut of memory");
        EXPECT_EQ(view.boxes[0].buttons,
                  (c.offerCancel ? MsgBoxStyle::YesNoCancel : MsgBoxStyle::YesNo) +
                      MsgBoxStyle::Critical + MsgBoxStyle::DefaultButton2);
        EXPECT_EQ(view.msgAnswer, c.answer);
        EXPECT_EQ(storedWord(second), c.second);
    }
}

} // namespace
} // namespace umbrix
