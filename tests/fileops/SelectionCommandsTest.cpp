// The commands over a result list's selection (delete, copy, remove an
// attribute, the attribute panel's box), judged by what becomes of the
// entries, the rows and the boxes a person answers.

#include "fileops/AttributeChange.h"
#include "fileops/CopyCommand.h"
#include "fileops/DeleteCommand.h"
#include "fileops/FakeCommandView.h"
#include "platform/AttributeStore.h"
#include "platform/Error.h"
#include "platform/FaultInjection.h"
#include "platform/MsgBoxCodes.h"
#include "support/NtfsVolume.h" // readTextFile
#include "support/TempDir.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace umbrix {
namespace {

using platform::FaultPoint;
using platform::ScopedFaultHook;
using test::exists;
using test::FakeCommandView;
using test::makeTree;
using test::readTextFile;
using test::setDosAttrib;
using test::storedWord;
using Names = std::vector<std::string>;
namespace Attr = platform::Attr;

constexpr int kRetryBox =
    MsgBoxStyle::YesNoCancel + MsgBoxStyle::Critical + MsgBoxStyle::DefaultButton2;

// Result rows a delete can take out, as a list box holds them.
class FakeDeletableRows : public test::FakeRowsOf<DeletableRows> {
public:
    int32_t current = -2; // last row made current by the delete

    void RemoveItem(int32_t row) override
    {
        paths.erase(paths.begin() + row);
        selected.erase(selected.begin() + row);
        identities.erase(identities.begin() + row);
    }
    void selectCurrent(int32_t row) override { current = row; }
};

class SelectionCommands : public ::testing::Test {
protected:
    // One command: how it runs, the step a fault is planted in, and whether
    // it is done with the entry `name` of "src".
    struct Command {
        const char* name;
        FaultPoint step;
        std::function<CommandEnd(FakeCommandView&, FakeDeletableRows&)> run;
        std::function<bool(const std::string&)> done;
        bool lastFirst = false; // walks the rows from the last to the first
        const char* retryTitle = nullptr;
        bool cancellable = true; // CancelAction stops it between rows
    };

    std::vector<Command> commands()
    {
        return {
            {"delete", FaultPoint::Unlink,
             [this](FakeCommandView& v, FakeDeletableRows& r) {
                 return deleteSelectedRows(v, fs, r);
             },
             [this](const std::string& n) { return !exists(at("src/" + n)); }, true,
             "Delete Error, Retry?"},
            {"copy", FaultPoint::CopyEntry,
             [this](FakeCommandView& v, FakeDeletableRows& r) {
                 CopyTally tally;
                 return copySelectedRows(v, fs, r, at("dst/"), tally);
             },
             [this](const std::string& n) { return exists(at("dst/" + n)); }, false,
             "Copy Error, Retry?", false},
            {"remove hidden", FaultPoint::WriteAttributes,
             [](FakeCommandView& v, FakeDeletableRows& r) {
                 return RemoveAttributeFromSelection(v, r, 1);
             },
             [this](const std::string& n) { return storedWord(at("src/" + n)) == 0; }, false,
             "Set Attribute Error"},
            {"panel box", FaultPoint::WriteAttributes,
             [](FakeCommandView& v, FakeDeletableRows& r) {
                 bool changed = false;
                 return changeSelectedRows(v, r, 1, AttributeAction::Clear, true, changed);
             },
             [this](const std::string& n) { return storedWord(at("src/" + n)) == 0; }},
        };
    }

    // Fresh "src" with hidden files r0.. and an empty "dst"; rows for those
    // named in `selected` ("x" at index i selects ri), all of them listed.
    FakeDeletableRows freshRows(int count, const std::string& selected)
    {
        std::filesystem::remove_all(at("src"));
        std::filesystem::remove_all(at("dst"));
        makeTree(dir.path(), {"src/", "dst/"});
        FakeDeletableRows rows;
        for (int i = 0; i < count; ++i) {
            const std::string path = at("src/r" + std::to_string(i));
            makeTree(dir.path(), {"src/r" + std::to_string(i) + "=" + std::to_string(i)});
            setDosAttrib(path, Attr::Hidden);
            rows.add(path, selected[static_cast<size_t>(i)] == 'x');
        }
        return rows;
    }
    std::string at(const std::string& relative) const { return dir / relative; }

    test::TempDir dir;
    FileSystemObject fs;
};

// The middle of three rows fails: Yes retries it, No goes past it, Cancel
// stops the command there.
TEST_F(SelectionCommands, EachAnswerToTheRetryBox)
{
    for (const Command& command : commands()) {
        if (!command.retryTitle)
            continue;
        const std::string first = command.lastFirst ? "r2" : "r0";
        const struct {
            int answer, failures;
            CommandEnd end;
            Names done;
        } answers[] = {{MsgBoxAnswer::Yes, 1, CommandEnd::Finished, {"r0", "r1", "r2"}},
                       {MsgBoxAnswer::No, 9, CommandEnd::Finished, {"r0", "r2"}},
                       {MsgBoxAnswer::Cancel, 9, CommandEnd::Cancelled, {first}}};
        for (const auto& a : answers) {
            SCOPED_TRACE(std::string(command.name) + ", answer " + std::to_string(a.answer));
            FakeDeletableRows rows = freshRows(3, "xxx");
            int left = a.failures;
            const ScopedFaultHook hook([&](FaultPoint point, std::string_view path) {
                return point == command.step && path == at("src/r1") && left-- > 0 ? EIO : 0;
            });
            FakeCommandView view;
            view.answer = [&](const FakeCommandView::Box&) { return a.answer; };
            EXPECT_EQ(command.run(view, rows), a.end);
            ASSERT_EQ(view.boxes.size(), 1u);
            EXPECT_EQ(view.boxes[0].title, command.retryTitle);
            EXPECT_EQ(view.boxes[0].buttons, kRetryBox);
            EXPECT_NE(view.boxes[0].prompt.find(at("src/r1")), std::string::npos)
                << view.boxes[0].prompt;
            EXPECT_EQ(view.msgAnswer, a.answer);
            for (const char* name : {"r0", "r1", "r2"}) {
                const bool expected = std::count(a.done.begin(), a.done.end(), name) > 0;
                EXPECT_EQ(command.done(name), expected) << name;
            }
        }
    }
}

// Every command acts on the selected rows only, with a progress caption
// that never goes back and ends at 100 %; one selected row is acted on only
// when it is the current one, without progress.
TEST_F(SelectionCommands, SelectedRowsOnlyAndTheCurrentOneWhenAlone)
{
    const struct {
        const char* selected;
        int32_t current;
        bool progress;
    } selections[] = {
        {"-x-x--x--x", -1, true}, {"-x-", 1, false}, {"-x-", 0, false}, {"---", -1, false}};
    for (const Command& command : commands()) {
        for (const auto& s : selections) {
            SCOPED_TRACE(std::string(command.name) + " " + s.selected + " at " +
                         std::to_string(s.current));
            const int count = static_cast<int>(std::strlen(s.selected));
            FakeDeletableRows rows = freshRows(count, s.selected);
            rows.listIndex = s.current;
            FakeCommandView view;
            EXPECT_EQ(command.run(view, rows), CommandEnd::Finished);
            for (int i = 0; i < count; ++i) {
                const bool acted = s.selected[i] == 'x' && (s.progress || s.current == i);
                EXPECT_EQ(command.done("r" + std::to_string(i)), acted) << i;
            }
            EXPECT_TRUE(view.boxes.empty());
            ASSERT_EQ(view.captions.empty(), !s.progress);
            int32_t last = -1;
            for (const std::string& caption : view.captions) {
                const int32_t percent = std::stoi(caption.substr(caption.find('[') + 1));
                EXPECT_EQ(caption, processingCaption(percent));
                EXPECT_GE(percent, last);
                last = percent;
            }
            if (s.progress) {
                EXPECT_EQ(last, 100);
            }
        }
    }
}

// CancelAction stops a command between rows (a copy goes on: it only keeps
// the window alive), closing the program at once; the row in hand is
// finished either way.
TEST_F(SelectionCommands, StopRequestsEndTheWalkAtTheNextYield)
{
    for (const Command& command : commands()) {
        for (const bool closing : {false, true}) {
            SCOPED_TRACE(std::string(command.name) + (closing ? ", closing" : ", cancel"));
            FakeDeletableRows rows = freshRows(4, "xxxx");
            FakeCommandView view;
            view.atYield = [&](int) { (closing ? view.closing : view.cancelAction) = true; };
            const bool stops = closing || command.cancellable;
            const CommandEnd end = command.run(view, rows);
            EXPECT_EQ(end, !stops    ? CommandEnd::Finished
                           : closing ? CommandEnd::Closing
                                     : CommandEnd::Cancelled);
            int done = 0;
            for (const char* name : {"r0", "r1", "r2", "r3"})
                done += command.done(name) ? 1 : 0;
            EXPECT_EQ(done, stops ? 1 : 4);
        }
    }
}

// A folder above the rows swapped for a link to elsewhere, and a row's entry
// replaced by another of its name: no command touches what the paths lead
// to now, and the menu commands say "changed since" for each such row.
TEST_F(SelectionCommands, RowsWhosePathsLeadElsewhereAreLeftAlone)
{
    for (const Command& command : commands()) {
        SCOPED_TRACE(command.name);
        for (const char* top : {"src", "dst", "outside", "moved", "old"})
            std::filesystem::remove_all(at(top));
        makeTree(dir.path(), {"src/", "src/a/", "src/a/f=in", "src/swapped=in", "dst/", "outside/",
                              "outside/f=SECRET"});
        for (const char* name : {"src/a/f", "src/swapped", "outside/f"})
            setDosAttrib(at(name), Attr::Hidden);
        FakeDeletableRows rows;
        rows.add(at("src/a/f"), true);
        rows.add(at("src/swapped"), true);
        ASSERT_EQ(::rename(at("src/a").c_str(), at("moved").c_str()), 0);
        ASSERT_EQ(::symlink(at("outside").c_str(), at("src/a").c_str()), 0);
        ASSERT_EQ(::rename(at("src/swapped").c_str(), at("old").c_str()), 0);
        makeTree(dir.path(), {"src/swapped=new"});
        setDosAttrib(at("src/swapped"), Attr::Hidden);

        FakeCommandView view;
        view.answer = [](const FakeCommandView::Box&) { return MsgBoxAnswer::No; };
        EXPECT_EQ(command.run(view, rows), CommandEnd::Finished);
        for (const char* name : {"outside/f", "moved/f", "src/swapped", "old"})
            EXPECT_EQ(storedWord(at(name)), Attr::Hidden) << name;
        EXPECT_FALSE(exists(at("dst/f")));
        EXPECT_FALSE(exists(at("dst/swapped")));
        // The panel's box command is quiet about entries; the menu's name them.
        EXPECT_EQ(view.boxes.size(), command.retryTitle ? 2u : 0u);
        for (const auto& box : view.boxes)
            EXPECT_NE(box.prompt.find(ChangedSinceText), std::string::npos) << box.prompt;
        EXPECT_EQ(rows.paths.size(), 2u) << "the rows stay";
    }
}

// A file deep in a folder row fails: No deletes the rest (files before the
// subfolders of their folder) and then reports the top folder that cannot
// go, naming the file; rows whose entries stay keep their place.
TEST_F(SelectionCommands, DeleteGoesPastAFailureDeepInATree)
{
    makeTree(dir.path(), {"t/", "t/top", "t/a/", "t/a/mid", "t/a/b/", "t/a/b/locked", "t/a/b/c/",
                          "t/a/b/c/deep", "gone"});
    const ScopedFaultHook hook([&](FaultPoint point, std::string_view path) {
        return point == FaultPoint::Unlink && path == at("t/a/b/locked") ? EBUSY : 0;
    });
    FakeCommandView view;
    view.answer = [](const FakeCommandView::Box&) { return MsgBoxAnswer::No; };
    FakeDeletableRows rows;
    rows.add(at("t"), true);
    rows.add(at("gone"), true);
    ASSERT_EQ(::unlink(at("gone").c_str()), 0); // removed outside the program
    EXPECT_EQ(deleteSelectedRows(view, fs, rows), CommandEnd::Finished);
    ASSERT_EQ(view.boxes.size(), 2u);
    EXPECT_EQ(view.boxes[0].prompt, at("t/a/b/locked") + "\r\r" + std::strerror(EBUSY));
    EXPECT_TRUE(view.boxes[1].prompt.starts_with(at("t") + "\r\r")) << view.boxes[1].prompt;
    EXPECT_NE(view.boxes[1].prompt.find(at("t/a/b/locked")), std::string::npos);
    for (const char* name : {"t/top", "t/a/mid", "t/a/b/c/deep"})
        EXPECT_FALSE(exists(at(name))) << name;
    EXPECT_TRUE(exists(at("t/a/b/locked")));
    EXPECT_EQ(rows.paths, Names{at("t")});
}

// What a delete of a row's entry takes: protected entries and folders one
// may not write to go; a link goes as the link it is; a folder swapped for a
// link midway leaves elsewhere whole; a name is a name, not a pattern.
TEST_F(SelectionCommands, DeleteTakesTheRowsEntryAndNothingBeyondIt)
{
    const auto swapFolderForLink = [&] {
        EXPECT_EQ(::rename(at("t/a").c_str(), at("moved").c_str()), 0);
        EXPECT_EQ(::symlink(at("outside").c_str(), at("t/a").c_str()), 0);
    };
    struct Case {
        const char* name;
        std::vector<std::string> tree, rows;
        std::function<void()> before;
        std::string swapAtUnlinkBelow;
        Names gone, kept;
    } cases[] = {
        {"protected entries and a link inside",
         {"t/", "t/top", "t/a/", "t/a/mid", "t/a/b/", "t/a/b/low", "t/a/b/out -> " + at("outside")},
         {"t"},
         [&] {
             setDosAttrib(at("t"), Attr::Hidden | Attr::System);
             setDosAttrib(at("t/a/mid"), Attr::ReadOnly | Attr::Hidden);
             EXPECT_EQ(::chmod(at("t/a/b/low").c_str(), 0444), 0);
             EXPECT_EQ(::chmod(at("t/a/b").c_str(), 0500), 0);
         },
         {},
         {"t"},
         {"outside/v0"}},
        {"a listed link to a folder",
         {"row -> " + at("outside")},
         {"row"},
         {},
         {},
         {"row"},
         {"outside/v0"}},
        {"a folder inside swapped midway",
         {"t/", "t/a/", "t/a/v/", "t/a/v/v0", "t/a/v/v1"},
         {"t"},
         {},
         "t/a/v/",
         {"t", "moved/v/v0", "moved/v/v1"},
         {"outside/v0", "outside/v/v0"}},
        {"names with pattern characters",
         {"t/", "t/*", "t/a?", "t/[x]", "t/keep"},
         {"t/*", "t/a?", "t/[x]"},
         {},
         {},
         {"t/*", "t/a?", "t/[x]"},
         {"t/keep"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        makeTree(dir.path(), {"outside/", "outside/v0", "outside/v/", "outside/v/v0"});
        for (const std::string& entry : c.tree)
            makeTree(dir.path(), {entry});
        FakeDeletableRows rows;
        for (const std::string& row : c.rows)
            rows.add(at(row), true);
        rows.listIndex = 0;
        if (c.before)
            c.before();
        bool swapped = false;
        const ScopedFaultHook hook([&](FaultPoint point, std::string_view path) {
            if (point == FaultPoint::Unlink && !swapped && !c.swapAtUnlinkBelow.empty() &&
                path.starts_with(at(c.swapAtUnlinkBelow))) {
                swapped = true;
                swapFolderForLink();
            }
            return 0;
        });
        FakeCommandView view;
        EXPECT_EQ(deleteSelectedRows(view, fs, rows), CommandEnd::Finished);
        EXPECT_TRUE(view.boxes.empty());
        for (const std::string& name : c.gone)
            EXPECT_FALSE(exists(at(name))) << name;
        for (const std::string& name : c.kept)
            EXPECT_TRUE(exists(at(name))) << name;
        for (const char* top : {"t", "outside", "moved", "row"})
            std::filesystem::remove_all(at(top));
    }
}

// A deep tree meets the process's limit of open descriptors: one box says
// so and the delete ends, rather than one box for every level below.
TEST_F(SelectionCommands, NoDescriptorLeftEndsTheDeleteWithOneReport)
{
    std::string deep = "t";
    makeTree(dir.path(), {"t/"});
    for (int level = 0; level < 20; ++level) {
        deep += "/d";
        makeTree(dir.path(), {deep + "/", deep + "/f"});
    }
    const ScopedFaultHook hook([&](FaultPoint point, std::string_view path) {
        return point == FaultPoint::OpenDirectory && path.size() > at("t/d/d").size() ? EMFILE : 0;
    });
    FakeCommandView view;
    view.answer = [](const FakeCommandView::Box&) { return MsgBoxAnswer::No; };
    bool gone = false;
    EXPECT_EQ(deleteListedEntry(view, fs, at("t"), gone), CommandEnd::Cancelled);
    ASSERT_EQ(view.boxes.size(), 1u);
    EXPECT_NE(view.boxes[0].prompt.find(std::strerror(EMFILE)), std::string::npos);
    EXPECT_TRUE(exists(at(deep + "/f")));
}

// The target is the folder the command began with: swapped for a link after
// the first row, it still receives the rest, and the link's target nothing.
TEST_F(SelectionCommands, ACopysTargetSwappedForALinkMidwayIsNotFollowed)
{
    makeTree(dir.path(), {"src/", "src/f1=1", "src/f2=2", "src/sub/", "src/sub/x=x", "dst/",
                          "outside/", "src/rowlink -> " + at("outside")});
    test::FakeRows rows;
    for (const char* name : {"src/f1", "src/sub", "src/rowlink", "src/f2"})
        rows.add(at(name), true);
    FakeCommandView view;
    view.atYield = [&](int yield) {
        if (yield != 1)
            return;
        ASSERT_EQ(::rename(at("dst").c_str(), at("dst.old").c_str()), 0);
        ASSERT_EQ(::symlink(at("outside").c_str(), at("dst").c_str()), 0);
    };
    CopyTally tally;
    EXPECT_EQ(copySelectedRows(view, fs, rows, at("dst/"), tally), CommandEnd::Finished);
    EXPECT_EQ(readTextFile(at("dst.old/f1")) + readTextFile(at("dst.old/sub/x")) +
                  readTextFile(at("dst.old/f2")),
              "1x2");
    // A listed link to a folder is copied as the link it is.
    EXPECT_EQ(test::linkTarget(at("dst.old/rowlink")), at("outside"));
    EXPECT_TRUE(std::filesystem::is_empty(at("outside")));
    EXPECT_TRUE(view.boxes.empty());
    EXPECT_EQ(copyTargetFolder(at("dst")), at("dst/"));
}

} // namespace
} // namespace umbrix
