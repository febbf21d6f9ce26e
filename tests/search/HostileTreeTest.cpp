// Trees that change under the walk or defeat path-based calls: the walk must
// never be redirected outside the tree, never drop an entry in silence and
// never report a refused change as done.

#include "platform/FaultInjection.h"
#include "platform/FileDescriptor.h"
#include "platform/PathText.h"
#include "search/ScanTreeFixture.h"
#include "search/ScanWalk.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace umbrix::test {
namespace {

using platform::FileDescriptor;

class HostileTree : public ScanTreeFixture {
protected:
    // Runs `action` once, at the yield after the walk has read the
    // `entries` of the start folder (".", ".." and its names) and before it
    // enters any subfolder.
    void onceCollected(int entries, std::function<void()> action)
    {
        host.onYield = [this, entries, action = std::move(action), done = false]() mutable {
            if (!done && flags.ScannedCount >= entries) {
                done = true;
                action();
            }
        };
    }
    bool mentions(const std::string& text) const
    {
        return std::any_of(host.logs.begin(), host.logs.end(), [&](const auto& log) {
            return log.text.find(text) != std::string::npos;
        });
    }
};

TEST_F(HostileTree, AFolderSwappedForALinkOrAnotherFolderIsNotEntered)
{
    // "elsewhere" lies outside the searched tree, full of hidden files.
    const TempDir outside;
    for (const char* name : {"x1", "x2", "x3"}) {
        makeFile(outside / name, "");
        setDosAttrib(outside / name, H);
    }
    struct Case {
        const char* how;
        std::function<void()> swap;
    };
    const Case cases[] = {
        {"link to a folder outside",
         [&] {
             ASSERT_EQ(::rename(at("a").c_str(), at("a.moved").c_str()), 0);
             ASSERT_EQ(::symlink(outside.path().c_str(), at("a").c_str()), 0);
         }},
        {"another folder moved in",
         [&] {
             ASSERT_EQ(::rename(at("a").c_str(), at("a.moved").c_str()), 0);
             ASSERT_EQ(::rename(at("b").c_str(), at("a").c_str()), 0);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        freshSearch();
        base = dir / c.how;
        makeDir(base);
        folder("a");
        file("a/inside", H);
        folder("b");
        file("b/other", H);
        onceCollected(4, c.swap);

        EXPECT_FALSE(scan());
        for (const char* name : {"x1", "x2", "x3"})
            EXPECT_EQ(storedWord(outside / name) & H, H) << name;
        for (const std::string& row : host.rows)
            EXPECT_FALSE(row.starts_with(at("a/"))) << row;
        EXPECT_TRUE(mentions("The folder was replaced while the search ran"));
    }
}

std::string levelName(int level)
{
    return "d" + std::to_string(10000 + level).substr(1);
}

// Makes `depth` nested folders "dNNNN" below `root` and returns the
// innermost, open; paths this long cannot be made or reached by name.
FileDescriptor makeDeepChain(const std::string& root, int depth)
{
    FileDescriptor at(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    for (int i = 0; i < depth && at; ++i) {
        EXPECT_EQ(::mkdirat(at.get(), levelName(i).c_str(), 0755), 0);
        at = FileDescriptor(
            ::openat(at.get(), levelName(i).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    }
    return at;
}

TEST_F(HostileTree, ATreeTwoThousandFoldersDeepIsWalkedWithFewDescriptors)
{
    constexpr int kDepth = 2000;
    const FileDescriptor bottom = makeDeepChain(root(), kDepth);
    ASSERT_TRUE(bottom);
    {
        FileDescriptor file(::openat(bottom.get(), "deep", O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
        ASSERT_TRUE(file);
        const std::string hidden = "0x2";
        ASSERT_EQ(::fsetxattr(file.get(), "user.DOSATTRIB", hidden.data(), hidden.size(), 0), 0);
    }
    // A process usually has 1024 descriptors; the walk must not need one
    // per level.
    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &previous), 0);
    rlimit tight = previous;
    tight.rlim_cur = 256;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    const bool stopped = scan();
    ::setrlimit(RLIMIT_NOFILE, &previous);

    EXPECT_FALSE(stopped);
    EXPECT_TRUE(host.logs.empty()) << ::testing::PrintToString(host.logs);
    ASSERT_EQ(host.rows.size(), 1u);
    std::string expected = root();
    for (int i = 0; i < kDepth; ++i)
        expected += "/" + levelName(i);
    expected += "/deep";
    EXPECT_GT(expected.size(), 4096u);
    EXPECT_EQ(host.rows[0], expected);
    char value[16] = {};
    FileDescriptor file(::openat(bottom.get(), "deep", O_RDONLY | O_CLOEXEC));
    const ssize_t n = ::fgetxattr(file.get(), "user.DOSATTRIB", value, sizeof value);
    ASSERT_GT(n, 0);
    EXPECT_EQ(std::string(value, static_cast<size_t>(n)).substr(0, 3), "0x0");
    // Each folder read holds ".", ".." and one name; each listing one name.
    EXPECT_EQ(flags.ScannedCount, 4 * (kDepth + 1));
}

// Below kOpenLevels a folder takes its descriptor back through "..": a
// folder moved out from under the walk must not make the folder it was
// moved into stand in for its old parent.
TEST_F(HostileTree, AFolderMovedAwayDeepDownDoesNotLeadTheWalkOutOfTheTree)
{
    const TempDir outside;
    makeFile(outside / "h", "");
    setDosAttrib(outside / "h", H);
    std::string parent = root();
    for (int i = 0; i < 67; ++i)
        parent += "/" + levelName(i);
    ASSERT_TRUE(makeDeepChain(root(), 70));
    makeFile(parent + "/h", "");
    setDosAttrib(parent + "/h", H);
    // Once the walk stands in d0067 and is about to open d0068, d0067 moves
    // below `outside`: its ".." is then no longer d0066.
    const platform::ScopedFaultHook move([&, done = false](platform::FaultPoint point,
                                                           std::string_view path) mutable {
        if (!done && point == platform::FaultPoint::OpenDirectory && path.ends_with("/d0068/")) {
            done = true;
            EXPECT_EQ(::rename((parent + "/d0067").c_str(), (outside / "d0067").c_str()), 0);
        }
        return 0;
    });
    scan();
    EXPECT_EQ(storedWord(outside / "h") & H, H) << "a file outside the tree was unhidden";
    EXPECT_TRUE(mentions(std::string(scan::kFolderLost)));
}

} // namespace
} // namespace umbrix::test
