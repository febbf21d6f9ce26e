#include "app/FileHelpers.h"
#include "platform/Error.h"
#include "platform/FaultInjection.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace umbrix {
namespace {

using test::makeDir;
using test::makeFile;

// Changes the current directory for one test and puts the old one back.
class CurrentDirectoryGuard {
public:
    explicit CurrentDirectoryGuard(const std::string& path)
    {
        char buffer[4096];
        if (::getcwd(buffer, sizeof buffer))
            saved_ = buffer;
        EXPECT_EQ(::chdir(path.c_str()), 0) << std::strerror(errno);
    }
    ~CurrentDirectoryGuard() { EXPECT_EQ(::chdir(saved_.c_str()), 0); }
    CurrentDirectoryGuard(const CurrentDirectoryGuard&) = delete;
    CurrentDirectoryGuard& operator=(const CurrentDirectoryGuard&) = delete;

private:
    std::string saved_;
};

class FileHelpers : public ::testing::Test {
protected:
    void SetUp() override
    {
        makeDir(dir / "data");
        makeFile(dir / "data/a.txt", "a");
        makeDir(dir / "data/sub");
    }
    test::TempDir dir;
};

TEST_F(FileHelpers, BlankPathsAreNothingAndAskTheSystemNothing)
{
    int queries = 0;
    platform::ScopedFaultHook hook([&](platform::FaultPoint point, std::string_view) {
        if (point == platform::FaultPoint::ReadAttributes)
            ++queries;
        return 0;
    });
    bool reparse = false;
    for (const std::string blank : {"", " ", "     "}) {
        EXPECT_FALSE(FileExists(blank));
        EXPECT_FALSE(DirExists(blank));
        EXPECT_EQ(GetEntryAttributes(blank, false, reparse), 0);
    }
    EXPECT_EQ(queries, 0);
    EXPECT_FALSE(reparse);
}

TEST_F(FileHelpers, ExistenceTestsTellFilesFromDirectories)
{
    EXPECT_TRUE(FileExists(dir / "data/a.txt"));
    EXPECT_FALSE(DirExists(dir / "data/a.txt"));
    EXPECT_FALSE(FileExists(dir / "data/sub"));
    EXPECT_FALSE(FileExists(dir / "data/sub/"));
    EXPECT_TRUE(DirExists(dir / "data/sub"));
    EXPECT_TRUE(DirExists(dir / "data/sub/"));
    EXPECT_TRUE(DirExists("/"));
    EXPECT_FALSE(FileExists(dir / "data/missing"));
    EXPECT_FALSE(DirExists(dir / "data/missing"));
    // One trailing separator goes before the file is looked for.
    EXPECT_TRUE(FileExists(dir / "data/a.txt/"));
    // A name with spaces around it is a different name, not a blank one.
    EXPECT_FALSE(FileExists(dir / "data/a.txt "));
}

TEST_F(FileHelpers, QuotedPathsAreFound)
{
    const std::string file = dir / "data/a.txt";
    const std::string folder = dir / "data/sub";
    EXPECT_TRUE(FileExists('"' + file + '"'));
    EXPECT_TRUE(FileExists('"' + file));
    EXPECT_TRUE(FileExists(file + '"'));
    EXPECT_TRUE(DirExists('"' + folder + '"'));
    EXPECT_TRUE(DirExists('"' + folder));
    EXPECT_FALSE(DirExists('"' + file + '"'));

    // A quote inside a name is part of the name.
    makeFile(dir / "data/say\"hi\".txt");
    EXPECT_TRUE(FileExists(dir / "data/say\"hi\".txt"));
    EXPECT_TRUE(FileExists("\"" + (dir / "data/say\"hi\".txt")));
}

TEST_F(FileHelpers, SymbolicLinksAreEntriesOfTheirOwn)
{
    ASSERT_EQ(::symlink((dir / "data/sub").c_str(), (dir / "dirlink").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "nowhere").c_str(), (dir / "dangling").c_str()), 0);
    EXPECT_TRUE(FileExists(dir / "dirlink"));
    EXPECT_TRUE(FileExists(dir / "dirlink/"));
    EXPECT_FALSE(DirExists(dir / "dirlink"));
    EXPECT_FALSE(DirExists(dir / "dirlink/"));
    EXPECT_TRUE(FileExists(dir / "dangling"));
}

TEST_F(FileHelpers, PatternsAnswerForTheFirstMatchingEntry)
{
    EXPECT_TRUE(FileExists(dir / "data/*.txt"));
    EXPECT_TRUE(FileExists(dir / "data/*.TXT"));
    EXPECT_TRUE(FileExists(dir / "data/?.txt"));
    EXPECT_FALSE(FileExists(dir / "data/*.log"));
    EXPECT_FALSE(FileExists(dir / "data/s*"));
    EXPECT_FALSE(FileExists(dir / "missing/*.txt"));
    // "." is listed first and is a directory.
    EXPECT_FALSE(FileExists(dir / "data/*"));
    EXPECT_FALSE(DirExists(dir / "data/*"));
    EXPECT_FALSE(DirExists(dir / "data/s*"));
    EXPECT_TRUE(FileExists('"' + (dir / "data/*.txt") + '"'));

    const CurrentDirectoryGuard cwd(dir / "data");
    EXPECT_TRUE(FileExists("*.txt"));
    EXPECT_FALSE(FileExists("s?b"));
}

TEST_F(FileHelpers, NamesThatAreNotUtf8)
{
    const std::string name = dir / "data/\xff\xfe-\x80.bin";
    makeFile(name);
    makeDir(dir / "data/\xc3\x28");
    EXPECT_TRUE(FileExists(name));
    EXPECT_TRUE(DirExists(dir / "data/\xc3\x28"));
    EXPECT_TRUE(FileExists(dir / "data/*.bin"));
    EXPECT_EQ(FileNameOfPath(name), "\xff\xfe-\x80.bin");
    EXPECT_EQ(FolderOfPath(name), dir / "data/");
}

TEST_F(FileHelpers, CurrentDirectoryFollowsChdir)
{
    const std::string before = CurrentDirectory();
    EXPECT_FALSE(before.empty());
    {
        const CurrentDirectoryGuard cwd(dir / "data/sub");
        char real[4096];
        ASSERT_NE(::getcwd(real, sizeof real), nullptr);
        EXPECT_EQ(CurrentDirectory(), real);
    }
    EXPECT_EQ(CurrentDirectory(), before);
}

TEST_F(FileHelpers, CurrentDirectoryOfARemovedFolderIsEmpty)
{
    makeDir(dir / "gone");
    const CurrentDirectoryGuard cwd(dir / "gone");
    ASSERT_EQ(::rmdir((dir / "gone").c_str()), 0);
    EXPECT_EQ(CurrentDirectory(), "");
    // A bare name then stands for no folder at all rather than a wrong one.
    EXPECT_EQ(FolderOfPath("report.txt"), "");
}

TEST_F(FileHelpers, FolderOfPath)
{
    {
        const CurrentDirectoryGuard cwd(dir / "data");
        EXPECT_EQ(FolderOfPath("report.txt"), CurrentDirectory());
        EXPECT_EQ(FolderOfPath("sub"), CurrentDirectory());
    }
    EXPECT_EQ(FolderOfPath(dir / "data/sub"), dir / "data/sub");
    EXPECT_EQ(FolderOfPath(dir / "data/sub/"), dir / "data/sub/");
    EXPECT_EQ(FolderOfPath(dir / "data/a.txt"), dir / "data/");
    EXPECT_EQ(FolderOfPath(dir / "data/missing.txt"), dir / "data/");
    EXPECT_EQ(FolderOfPath("/x"), "/");
}

TEST(FileNameOfPath, IsTheTextAfterTheLastSeparator)
{
    EXPECT_EQ(FileNameOfPath("/data/"), "");
    EXPECT_EQ(FileNameOfPath("a.txt"), "a.txt");
    EXPECT_EQ(FileNameOfPath("/data/deep/a.txt"), "a.txt");
    EXPECT_EQ(FileNameOfPath("/"), "");
    EXPECT_EQ(FileNameOfPath(""), "");
}

TEST_F(FileHelpers, AttributesOfFilesAndFolders)
{
    bool reparse = false;
    EXPECT_EQ(GetEntryAttributes(dir / "data/a.txt", false, reparse), 0);
    EXPECT_EQ(GetEntryAttributes(dir / "data/sub", false, reparse), 16);

    test::setDosAttrib(dir / "data/a.txt", 0x2 | 0x20);
    EXPECT_EQ(GetEntryAttributes(dir / "data/a.txt", false, reparse), 34);
    test::setDosAttrib(dir / "data/sub", 0x2 | 0x4);
    EXPECT_EQ(GetEntryAttributes(dir / "data/sub", true, reparse), 16 + 2 + 4);

    // Bits beyond the five (compressed 0x800, not indexed 0x2000) are dropped.
    test::setDosAttrib(dir / "data/a.txt", 0x800 | 0x2);
    EXPECT_EQ(GetEntryAttributes(dir / "data/a.txt", false, reparse), 2);
    test::setDosAttrib(dir / "data/a.txt", 0x2000 | 0x100 | 0x4);
    EXPECT_EQ(GetEntryAttributes(dir / "data/a.txt", false, reparse), 4);
    test::setDosAttrib(dir / "data/a.txt", 0x80);
    EXPECT_EQ(GetEntryAttributes(dir / "data/a.txt", false, reparse), 0);
    test::setDosAttrib(dir / "data/a.txt", 0x27);
    EXPECT_EQ(GetEntryAttributes(dir / "data/a.txt", false, reparse), 1 + 2 + 4 + 32);
    EXPECT_FALSE(reparse);

    makeFile(dir / "data/ro.txt");
    ASSERT_EQ(::chmod((dir / "data/ro.txt").c_str(), 0444), 0);
    EXPECT_EQ(GetEntryAttributes(dir / "data/ro.txt", false, reparse), 1);
}

TEST_F(FileHelpers, LinksYieldZeroAndRaiseTheFlagWhichNeverDrops)
{
    ASSERT_EQ(::symlink((dir / "data/sub").c_str(), (dir / "dirlink").c_str()), 0);
    ASSERT_EQ(::symlink("a.txt", (dir / "data/filelink").c_str()), 0);
    test::setDosAttrib(dir / "data/sub", 0x2);

    bool reparse = false;
    EXPECT_EQ(GetEntryAttributes(dir / "dirlink", false, reparse), 0);
    EXPECT_TRUE(reparse);

    reparse = false;
    EXPECT_EQ(GetEntryAttributes(dir / "data/filelink", true, reparse), 0);
    EXPECT_TRUE(reparse);

    // Later calls on ordinary entries, and failing calls, leave it set.
    EXPECT_EQ(GetEntryAttributes(dir / "data/sub", false, reparse), 18);
    EXPECT_EQ(GetEntryAttributes(dir / "missing", true, reparse), 0);
    EXPECT_TRUE(reparse);
}

TEST_F(FileHelpers, UnreachableEntries)
{
    bool reparse = false;
    EXPECT_EQ(GetEntryAttributes(dir / "missing", true, reparse), 0);

    try {
        GetEntryAttributes(dir / "missing", false, reparse);
        ADD_FAILURE() << "no error raised";
    } catch (const Error& e) {
        EXPECT_EQ(e.number, static_cast<int32_t>(0x800403E8u));
        EXPECT_EQ(e.number, -2147220504);
        EXPECT_EQ(e.description, "No such file or directory");
    }

    const std::string locked = dir / "data/a.txt";
    int code = EACCES;
    platform::ScopedFaultHook hook([&](platform::FaultPoint point, std::string_view path) {
        return point == platform::FaultPoint::ReadAttributes && path == locked ? code : 0;
    });
    EXPECT_EQ(GetEntryAttributes(locked, true, reparse), 0);
    try {
        GetEntryAttributes(locked, false, reparse);
        ADD_FAILURE() << "no error raised";
    } catch (const Error& e) {
        EXPECT_EQ(e.number, ErrorNumber::AttributeQuery);
        EXPECT_EQ(e.description, std::strerror(EACCES));
    }

    // A failure without a system code is reported as permission denied.
    code = -1;
    try {
        GetEntryAttributes(locked, false, reparse);
        ADD_FAILURE() << "no error raised";
    } catch (const Error& e) {
        EXPECT_EQ(e.number, 70);
        EXPECT_EQ(e.description, "Permission denied");
    }
    EXPECT_FALSE(reparse);
}

} // namespace
} // namespace umbrix
