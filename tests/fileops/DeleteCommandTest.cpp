#include "fileops/DeleteCommand.h"

#include "fileops/FakeCommandView.h"
#include "fileops/TreeDelete.h"
#include "platform/Error.h"
#include "platform/FaultInjection.h"
#include "platform/MsgBoxCodes.h"
#include "support/NtfsVolume.h" // readTextFile
#include "support/TempDir.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <sys/xattr.h>
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
using Names = std::vector<std::string>;

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

// Makes every unlink of `path` fail with `err`, and records every unlink
// asked for, in order.
class UnlinkRecorder {
public:
    explicit UnlinkRecorder(std::string failing = {}, int err = EBUSY)
        : hook_([this, failing, err](FaultPoint point, std::string_view path) {
              if (point != FaultPoint::Unlink)
                  return 0;
              unlinked.emplace_back(path);
              return path == failing ? err : 0;
          })
    {}
    Names unlinked;

private:
    ScopedFaultHook hook_;
};

class DeleteCommandTest : public ::testing::Test {
protected:
    std::string at(const std::string& relative) const { return dir / relative; }

    test::TempDir dir;
    FileSystemObject fs;
    FakeCommandView view;
};

// A file two levels down fails: Yes retries it, No deletes the rest (files
// before the subfolders of their folder) and then reports the top folder
// that cannot go, Cancel stops the whole delete there.
TEST_F(DeleteCommandTest, EachAnswerToTheRetryBox)
{
    const struct {
        int answer;
        int failures;
        CommandEnd end;
        Names gone, kept;
        size_t boxes;
    } cases[] = {
        {MsgBoxAnswer::Yes, 1, CommandEnd::Finished, {"t"}, {}, 1},
        {MsgBoxAnswer::No,
         9,
         CommandEnd::Finished,
         {"t/top", "t/a/mid", "t/a/b/c/deep"},
         {"t/a/b/locked"},
         2},
        {MsgBoxAnswer::Cancel,
         9,
         CommandEnd::Cancelled,
         {"t/top", "t/a/mid"},
         {"t/a/b/locked", "t/a/b/c/deep"},
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        makeTree(dir.path(), {"t/", "t/top", "t/a/", "t/a/mid", "t/a/b/", "t/a/b/locked",
                              "t/a/b/c/", "t/a/b/c/deep"});
        int left = c.failures;
        const ScopedFaultHook hook([&](FaultPoint point, std::string_view path) {
            return point == FaultPoint::Unlink && path == at("t/a/b/locked") && left-- > 0 ? EBUSY
                                                                                          : 0;
        });
        FakeCommandView v;
        v.answer = [&](const FakeCommandView::Box&) { return c.answer; };
        FakeDeletableRows rows;
        rows.add(at("t"), true);
        rows.listIndex = 0;
        EXPECT_EQ(deleteSelectedRows(v, fs, rows), c.end);
        ASSERT_EQ(v.boxes.size(), c.boxes);
        EXPECT_EQ(v.boxes[0].title, "Delete Error, Retry?");
        EXPECT_EQ(v.boxes[0].buttons, kRetryBox);
        EXPECT_EQ(v.boxes[0].prompt, at("t/a/b/locked") + "\r\r" + std::strerror(EBUSY));
        // The final removal of the tree fails on the same file: its box
        // names the top folder, its description the file.
        if (c.boxes == 2) {
            EXPECT_TRUE(v.boxes[1].prompt.starts_with(at("t") + "\r\r")) << v.boxes[1].prompt;
            EXPECT_NE(v.boxes[1].prompt.find(at("t/a/b/locked")), std::string::npos);
        }
        for (const std::string& name : c.gone)
            EXPECT_FALSE(exists(at(name))) << name;
        for (const std::string& name : c.kept)
            EXPECT_TRUE(exists(at(name))) << name;
        // A row whose entry is still there stays, and is not made current.
        EXPECT_EQ(rows.paths.size(), c.kept.empty() ? 0u : 1u);
        std::filesystem::remove_all(at("t"));
    }
}

TEST_F(DeleteCommandTest, FiveOfTenRowsFromTheLastToTheFirstWithProgress)
{
    FakeDeletableRows rows;
    Names kept;
    for (int i = 0; i < 10; ++i) {
        const std::string path = at("f" + std::to_string(i));
        makeTree(dir.path(), {"f" + std::to_string(i)});
        const bool selected = i % 2 == 1;
        rows.add(path, selected);
        if (!selected)
            kept.push_back(path);
    }
    // Removed outside the program: a selected row of it goes from the list.
    ASSERT_EQ(::unlink(at("f9").c_str()), 0);
    const UnlinkRecorder unlinks;

    EXPECT_EQ(deleteSelectedRows(view, fs, rows), CommandEnd::Finished);
    EXPECT_EQ(rows.paths, kept);
    EXPECT_EQ(unlinks.unlinked, (Names{at("f7"), at("f5"), at("f3"), at("f1")}));
    Names percents;
    for (const std::string& caption : view.captions)
        percents.push_back(caption.substr(caption.find('[')));
    EXPECT_EQ(percents, (Names{"[10%]", "[20%]", "[30%]", "[40%]", "[50%]", "[60%]", "[70%]",
                               "[80%]", "[90%]", "[100%]"}));
    EXPECT_EQ(view.captions.back(), "Umbrix - Processing: [100%]");
    EXPECT_TRUE(view.boxes.empty());
}

TEST_F(DeleteCommandTest, OneSelectedRowKeepsItsPlaceAndAVanishedOneStays)
{
    FakeDeletableRows rows;
    for (const char* name : {"a", "b", "c"}) {
        makeTree(dir.path(), {name});
        rows.add(at(name), false);
    }
    struct Case {
        int32_t index;
        bool removeFirst;
        Names left;
        int32_t current;
    } cases[] = {
        {2, false, {at("a"), at("b")}, 1}, // the last row went: the new last is current
        {0, false, {at("b")}, 0},
        {0, true, {at("b")}, 0}, // gone outside the program: the row stays
    };
    for (const Case& c : cases) {
        rows.selected.assign(rows.paths.size(), false);
        rows.selected[static_cast<size_t>(c.index)] = true;
        rows.listIndex = c.index;
        if (c.removeFirst) {
            ASSERT_EQ(::unlink(rows.paths[static_cast<size_t>(c.index)].c_str()), 0);
        }
        EXPECT_EQ(deleteSelectedRows(view, fs, rows), CommandEnd::Finished);
        EXPECT_EQ(rows.paths, c.left);
        EXPECT_EQ(rows.current, c.current);
    }
    // No current row: nothing is deleted.
    rows.listIndex = -1;
    rows.current = -2;
    EXPECT_EQ(deleteSelectedRows(view, fs, rows), CommandEnd::Finished);
    EXPECT_EQ(rows.current, -2);
    EXPECT_TRUE(view.captions.empty());
}

TEST_F(DeleteCommandTest, StopsBetweenRowsOnCancelActionAndAtOnceWhenClosing)
{
    for (bool closing : {false, true}) {
        FakeDeletableRows rows;
        for (int i = 0; i < 4; ++i) {
            const std::string name = std::string(closing ? "c" : "x") + std::to_string(i);
            makeTree(dir.path(), {name});
            rows.add(at(name), true);
        }
        FakeCommandView v;
        v.atYield = [&](int) { (closing ? v.closing : v.cancelAction) = true; };
        EXPECT_EQ(deleteSelectedRows(v, fs, rows),
                  closing ? CommandEnd::Closing : CommandEnd::Cancelled);
        EXPECT_EQ(rows.paths.size(), 3u);
    }
}

// What becomes of the rows' entries and of what lies outside their trees:
// protected entries go; a link is removed as the link it is; a folder swapped
// for a link to elsewhere before or while the delete runs leaves elsewhere
// whole and its row, reported "changed since", too; a name is a name.
TEST_F(DeleteCommandTest, RowsAndWhatBecomesOfThem)
{
    const auto swapFolderForLink = [&] {
        EXPECT_EQ(::rename(at("t/a").c_str(), at("moved").c_str()), 0);
        EXPECT_EQ(::symlink(at("outside").c_str(), at("t/a").c_str()), 0);
    };
    const Names victim = {"t/", "t/a/", "t/a/victim/", "t/a/victim/v0", "t/a/victim/v1"};
    const Names outside = {"outside/victim/v0", "outside/victim/v4"};
    struct Case {
        const char* name;
        Names tree;
        Names rows;
        std::function<void()> before;  // between the search and the delete
        std::string swapAtUnlinkBelow; // or midway, at the first unlink below this
        Names gone;
        Names kept;
        Names boxed; // rows reported changed since
    } cases[] = {
        {"protected entries and a link inside",
         {"t/", "t/top", "t/a/", "t/a/mid", "t/a/b/", "t/a/b/low", "t/a/b/out -> " + at("outside")},
         {"t"},
         [&] {
             setDosAttrib(at("t"), 0x2 | 0x4);
             setDosAttrib(at("t/a/mid"), 0x1 | 0x2);
             ASSERT_EQ(::chmod(at("t/a/b/low").c_str(), 0444), 0);
         },
         {}, {"t"}, outside, {}},
        {"a listed link to a folder", {"row -> " + at("outside")}, {"row"}, {}, {}, {"row"},
         outside, {}},
        {"a folder above swapped for a link", victim, {"t/a/victim"}, swapFolderForLink, {}, {},
         {"outside/victim/v0", "outside/victim/v4", "moved/victim/v0"}, {"t/a/victim"}},
        {"a folder inside swapped midway", victim, {"t"}, {}, "t/a/victim/",
         {"t", "moved/victim/v0", "moved/victim/v1"}, outside, {}},
        {"a folder above swapped while an earlier row goes",
         {"t/", "t/a/", "t/a/victim/", "t/a/victim/v0", "t/big/", "t/big/b0", "t/big/b1"},
         {"t/a/victim", "t/big"}, {}, "t/big/", {"t/big"},
         {"outside/victim/v0", "outside/victim/v4", "moved/victim/v0"}, {"t/a/victim"}},
        {"the entry replaced by another of its name", {"t/", "t/f"}, {"t/f"},
         [&] {
             EXPECT_EQ(::rename(at("t/f").c_str(), at("t/old").c_str()), 0);
             makeTree(dir.path(), {"t/f"});
         },
         {}, {}, {"t/f", "t/old"}, {"t/f"}},
        {"names with pattern characters", {"t/", "t/*", "t/a?", "t/[x]", "t/keep"},
         {"t/*", "t/a?", "t/[x]"}, {}, {}, {"t/*", "t/a?", "t/[x]"}, {"t/keep"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        makeTree(dir.path(), {"outside/", "outside/victim/"});
        for (int i = 0; i < 5; ++i)
            makeTree(dir.path(), {"outside/victim/v" + std::to_string(i)});
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
        FakeCommandView v;
        v.answer = [](const FakeCommandView::Box&) { return MsgBoxAnswer::No; };
        EXPECT_EQ(deleteSelectedRows(v, fs, rows), CommandEnd::Finished);

        for (const std::string& name : c.gone)
            EXPECT_FALSE(exists(at(name))) << name;
        for (const std::string& name : c.kept)
            EXPECT_TRUE(exists(at(name))) << name;
        EXPECT_EQ(v.boxes.size(), c.boxed.size());
        for (size_t i = 0; i < std::min(v.boxes.size(), c.boxed.size()); ++i) {
            EXPECT_EQ(v.boxes[i].prompt, at(c.boxed[i]) + "\r\r" + ChangedSinceText);
            EXPECT_NE(std::find(rows.paths.begin(), rows.paths.end(), at(c.boxed[i])),
                      rows.paths.end());
        }
        for (const char* top : {"t", "outside", "moved", "row"})
            std::filesystem::remove_all(at(top));
    }
}

// A deep tree meets the process's limit of open descriptors: one box says
// so and the delete ends, rather than one box for every level below.
TEST_F(DeleteCommandTest, NoDescriptorLeftEndsTheDeleteWithOneReport)
{
    std::string deep = "t";
    makeTree(dir.path(), {"t/"});
    for (int level = 0; level < 20; ++level) {
        deep += "/d";
        makeTree(dir.path(), {deep + "/", deep + "/f"});
    }
    const ScopedFaultHook hook([&](FaultPoint point, std::string_view path) {
        return point == FaultPoint::OpenDirectory && path.size() > at("t/d/d").size() ? EMFILE
                                                                                    : 0;
    });
    view.answer = [](const FakeCommandView::Box&) { return MsgBoxAnswer::No; };
    bool gone = false;
    EXPECT_EQ(deleteListedEntry(view, fs, at("t"), gone), CommandEnd::Cancelled);
    ASSERT_EQ(view.boxes.size(), 1u);
    EXPECT_EQ(view.boxes[0].buttons, MsgBoxStyle::OKOnly + MsgBoxStyle::Critical);
    EXPECT_NE(view.boxes[0].prompt.find(std::strerror(EMFILE)), std::string::npos);
    EXPECT_TRUE(exists(at(deep + "/f")));
}

TEST_F(DeleteCommandTest, FileAndDirectoryListEntries)
{
    makeTree(dir.path(), {"ro.txt", "d/", "d/x/", "d/x/y"});
    setDosAttrib(at("ro.txt"), 0x1 | 0x2);
    setDosAttrib(at("d"), 0x1);
    EXPECT_EQ(deleteFileEntry(view, fs, at("ro.txt")), CommandEnd::Finished);
    EXPECT_FALSE(exists(at("ro.txt")));
    EXPECT_EQ(deleteFolderEntry(view, fs, at("d")), CommandEnd::Finished);
    EXPECT_FALSE(exists(at("d")));
    EXPECT_TRUE(view.boxes.empty());

    // Their failure boxes offer Yes and No only.
    makeTree(dir.path(), {"f"});
    const UnlinkRecorder unlinks(at("f"));
    EXPECT_EQ(deleteFileEntry(view, fs, at("f")), CommandEnd::Finished);
    ASSERT_EQ(view.boxes.size(), 1u);
    EXPECT_EQ(view.boxes[0].buttons,
              MsgBoxStyle::YesNo + MsgBoxStyle::Critical + MsgBoxStyle::DefaultButton2);
    EXPECT_TRUE(exists(at("f")));
}

} // namespace
} // namespace umbrix
