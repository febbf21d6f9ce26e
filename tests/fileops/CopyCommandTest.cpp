#include "fileops/CopyCommand.h"

#include "fileops/FakeCommandView.h"
#include "platform/Error.h"
#include "platform/FaultInjection.h"
#include "platform/MsgBoxCodes.h"
#include "support/NtfsVolume.h" // readTextFile
#include "support/TempDir.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace umbrix {
namespace {

using platform::FaultPoint;
using platform::ScopedFaultHook;
using test::exists;
using test::FakeCommandView;
using test::FakeRows;
using test::linkTarget;
using test::makeTree;
using test::readTextFile;
using test::setDosAttrib;
using Names = std::vector<std::string>;

class CopyCommandTest : public ::testing::Test {
protected:
    void SetUp() override { makeTree(dir.path(), {"src/", "dst/"}); }
    std::string at(const std::string& relative) const { return dir / relative; }

    test::TempDir dir;
    FileSystemObject fs;
    FakeCommandView view;
    CopyTally tally;
};

TEST_F(CopyCommandTest, ThreeOfTenRowsWithTheProgressOfTheLastSelectedRow)
{
    FakeRows rows;
    for (int i = 1; i <= 10; ++i) {
        const std::string name = "src/f" + std::to_string(i);
        makeTree(dir.path(), {name + "=" + std::to_string(i)});
        rows.add(at(name), i == 3 || i == 5 || i == 10);
    }
    EXPECT_EQ(copySelectedRows(view, fs, rows, at("dst/"), tally), CommandEnd::Finished);

    Names percents;
    for (const std::string& caption : view.captions)
        percents.push_back(caption.substr(caption.find('[')));
    EXPECT_EQ(percents, (Names{"[0%]", "[0%]", "[30%]", "[30%]", "[50%]", "[50%]", "[50%]", "[50%]",
                               "[50%]", "[100%]"}));
    for (int i = 1; i <= 10; ++i) {
        const std::string name = "f" + std::to_string(i);
        const bool copied = i == 3 || i == 5 || i == 10;
        EXPECT_EQ(readTextFile(at("dst/" + name)), copied ? std::to_string(i) : "") << name;
    }
    EXPECT_TRUE(tally.copied);
    EXPECT_EQ(tally.skipped, 0);
    EXPECT_TRUE(view.boxes.empty());
}

TEST_F(CopyCommandTest, OneSelectedRowIsCopiedWithoutProgressAndAnUnselectedCurrentRowNot)
{
    makeTree(dir.path(), {"src/a=a", "src/b=b"});
    FakeRows rows;
    rows.add(at("src/a"), false);
    rows.add(at("src/b"), true);
    for (int32_t current : {0, 1}) {
        rows.listIndex = current;
        EXPECT_EQ(copySelectedRows(view, fs, rows, at("dst/"), tally), CommandEnd::Finished);
    }
    EXPECT_FALSE(exists(at("dst/a")));
    EXPECT_EQ(readTextFile(at("dst/b")), "b");
    EXPECT_TRUE(view.captions.empty());
    EXPECT_EQ(copyTargetFolder("/"), "/");
    EXPECT_EQ(copyTargetFolder(at("dst")), at("dst/"));
}

// Links inside a tree are FileSystemObject's to keep; the command must not
// take a listed link to a folder for the folder.
TEST_F(CopyCommandTest, AListedLinkIsCopiedAsALink)
{
    makeTree(dir.path(), {"outside/", "src/rowlink -> " + at("outside")});
    FakeRows rows;
    rows.add(at("src/rowlink"), true);
    rows.listIndex = 0;
    EXPECT_EQ(copySelectedRows(view, fs, rows, at("dst/"), tally), CommandEnd::Finished);
    EXPECT_EQ(linkTarget(at("dst/rowlink")), at("outside"));
    EXPECT_TRUE(view.boxes.empty());

    // A folder above a row swapped for a link to elsewhere: the row is
    // reported "changed since" and nothing from elsewhere is copied.
    makeTree(dir.path(), {"src/z/", "src/z/f=in", "outside/f=SECRET"});
    rows.add(at("src/z/f"), true);
    rows.listIndex = 1;
    rows.selected[0] = false;
    ASSERT_EQ(::rename(at("src/z").c_str(), at("moved").c_str()), 0);
    ASSERT_EQ(::symlink(at("outside").c_str(), at("src/z").c_str()), 0);
    view.answer = [](const FakeCommandView::Box&) { return MsgBoxAnswer::No; };
    EXPECT_EQ(copySelectedRows(view, fs, rows, at("dst/"), tally), CommandEnd::Finished);
    ASSERT_EQ(view.boxes.size(), 1u);
    EXPECT_EQ(view.boxes[0].prompt, at("src/z/f") + "\r\r" + ChangedSinceText);
    EXPECT_FALSE(exists(at("dst/f")));
}

TEST_F(CopyCommandTest, RetryBoxesAndWhatEachAnswerDoes)
{
    makeTree(dir.path(), {"src/a=a", "src/bad=b", "src/c=c"});
    const std::string bad = at("src/bad");
    const auto failing = [&](int& left) {
        return [&left, bad](FaultPoint point, std::string_view path) {
            return point == FaultPoint::CopyEntry && path == bad && left-- > 0 ? EIO : 0;
        };
    };
    const auto rowsOf = [&](const Names& names) {
        FakeRows rows;
        for (const std::string& n : names)
            rows.add(at("src/" + n), true);
        return rows;
    };

    struct Case {
        int answer;
        int failures;
        CommandEnd end;
        Names copied;
        int skipped;
    } cases[] = {
        {MsgBoxAnswer::Yes, 1, CommandEnd::Finished, {"a", "bad", "c"}, 0},
        {MsgBoxAnswer::No, 9, CommandEnd::Finished, {"a", "c"}, 1},
        {MsgBoxAnswer::Cancel, 9, CommandEnd::Cancelled, {"a"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        for (const char* n : {"a", "bad", "c"})
            ::unlink(at(std::string("dst/") + n).c_str());
        int left = c.failures;
        const ScopedFaultHook hook(failing(left));
        FakeCommandView v;
        v.answer = [&](const FakeCommandView::Box&) { return c.answer; };
        CopyTally t;
        EXPECT_EQ(copySelectedRows(v, fs, rowsOf({"a", "bad", "c"}), at("dst/"), t), c.end);
        ASSERT_EQ(v.boxes.size(), 1u);
        EXPECT_EQ(v.boxes[0].title, "Copy Error, Retry?");
        EXPECT_EQ(v.boxes[0].buttons,
                  MsgBoxStyle::YesNoCancel + MsgBoxStyle::Critical + MsgBoxStyle::DefaultButton2);
        EXPECT_EQ(v.boxes[0].prompt, bad + "\r\r" + std::strerror(EIO));
        EXPECT_EQ(v.msgAnswer, c.answer);
        Names copied;
        for (const char* n : {"a", "bad", "c"})
            if (exists(at(std::string("dst/") + n)))
                copied.push_back(n);
        EXPECT_EQ(copied, c.copied);
        EXPECT_EQ(t.skipped, c.skipped);
    }
}

// Each is refused as access denied, file by file in a folder too, and
// nothing of it is replaced.
TEST_F(CopyCommandTest, AReadOnlyHiddenOrSystemTargetEndsInTheRetryQuestion)
{
    makeTree(dir.path(), {"src/f=new", "src/tree/", "src/tree/f=new"});
    view.answer = [](const FakeCommandView::Box&) { return MsgBoxAnswer::No; };
    for (const uint32_t attribute : {0x1u, 0x2u, 0x4u}) {
        SCOPED_TRACE(attribute);
        const std::string into = "dst/" + std::to_string(attribute) + "/";
        makeTree(dir.path(), {into, into + "f=old", into + "tree/", into + "tree/f=old"});
        setDosAttrib(at(into + "f"), attribute);
        setDosAttrib(at(into + "tree/f"), attribute);
        view.boxes.clear();
        for (const char* source : {"src/f", "src/tree"})
            EXPECT_EQ(copyOneEntry(view, fs, at(source), at(into), false, tally),
                      CommandEnd::Finished);
        ASSERT_EQ(view.boxes.size(), 2u);
        for (const std::string& target : {into + "f", into + "tree/f"}) {
            const std::string& prompt = view.boxes[target.ends_with("tree/f") ? 1 : 0].prompt;
            EXPECT_TRUE(prompt.ends_with("\r\r" + std::string(std::strerror(EACCES)) + ": \"" +
                                         at(target) + "\""))
                << prompt;
            EXPECT_EQ(readTextFile(at(target)), "old");
            EXPECT_EQ(test::storedWord(at(target)), attribute);
        }
    }
    EXPECT_EQ(tally.skipped, 6);
}

TEST_F(CopyCommandTest, AVanishedSourceAnsweredNoIsAskedAboutTwice)
{
    makeTree(dir.path(), {"src/folder/", "src/folder/x=x"});
    view.answer = [](const FakeCommandView::Box&) { return MsgBoxAnswer::No; };
    // From the file list: Yes and No only.  The first box is the attribute
    // query, the second the copy, made as the entry before was (a folder).
    EXPECT_EQ(copyOneEntry(view, fs, at("src/folder"), at("dst/"), false, tally),
              CommandEnd::Finished);
    EXPECT_EQ(copyOneEntry(view, fs, at("src/gone"), at("dst/"), false, tally),
              CommandEnd::Finished);
    ASSERT_EQ(view.boxes.size(), 2u);
    for (const FakeCommandView::Box& box : view.boxes) {
        EXPECT_EQ(box.buttons,
                  MsgBoxStyle::YesNo + MsgBoxStyle::Critical + MsgBoxStyle::DefaultButton2);
        EXPECT_EQ(box.prompt.rfind(at("src/gone") + "\r\r", 0), 0u) << box.prompt;
    }
    EXPECT_NE(view.boxes[0].prompt.find(std::strerror(ENOENT)), std::string::npos);
    EXPECT_TRUE(tally.copied);
    EXPECT_EQ(tally.skipped, 1);
    EXPECT_EQ(readTextFile(at("dst/folder/x")), "x");
}

// The target is the folder the command began with: swapped for a link after
// the first row, it still receives the rest, and the link's target nothing.
TEST_F(CopyCommandTest, ATargetSwappedForALinkMidwayIsNotFollowed)
{
    makeTree(dir.path(), {"src/f1=1", "src/f2=2", "src/sub/", "src/sub/x=x", "outside/"});
    FakeRows rows;
    for (const char* name : {"src/f1", "src/sub", "src/f2"})
        rows.add(at(name), true);
    view.atYield = [&](int yield) {
        if (yield != 1)
            return;
        ASSERT_EQ(::rename(at("dst").c_str(), at("dst.old").c_str()), 0);
        ASSERT_EQ(::symlink(at("outside").c_str(), at("dst").c_str()), 0);
    };
    EXPECT_EQ(copySelectedRows(view, fs, rows, at("dst/"), tally), CommandEnd::Finished);
    EXPECT_EQ(readTextFile(at("dst.old/f1")), "1");
    EXPECT_EQ(readTextFile(at("dst.old/sub/x")), "x");
    EXPECT_EQ(readTextFile(at("dst.old/f2")), "2");
    EXPECT_FALSE(exists(at("outside/sub")));
    EXPECT_FALSE(exists(at("outside/f2")));
    EXPECT_TRUE(view.boxes.empty());
}

} // namespace
} // namespace umbrix
