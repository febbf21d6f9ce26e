#include "platform/FileHelpers.h"

#include "platform/Error.h"
#include "platform/FaultInjection.h"
#include "support/TempDir.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace umbrix {
namespace {

using test::errorOf;
using test::makeDir;
using test::makeFile;

class FileHelpers : public ::testing::Test {
protected:
    void SetUp() override { test::makeTree(dir.path(), {"data/", "data/a.txt=a", "data/sub/"}); }
    // Tests may change the current directory; the next one starts where this did.
    ~FileHelpers() override
    {
        EXPECT_EQ(::fchdir(home), 0);
        ::close(home);
    }

    test::TempDir dir;
    const int home = ::open(".", O_PATH | O_DIRECTORY | O_CLOEXEC);
};

TEST_F(FileHelpers, FileExistsAndDirExists)
{
    // Kept out of "data", whose listing order the patterns below rely on.
    makeDir(dir / "more");
    makeFile(dir / "more/say\"hi\".txt");
    makeFile(dir / "more/\xff\xfe-\x80.bin");
    makeDir(dir / "more/\xc3\x28");
    makeDir(dir / "names");
    makeDir(dir / "names/d*");
    for (const char* name : {"names/*", "names/a?", "names/[x]"})
        makeFile(dir / name);
    ASSERT_EQ(::symlink((dir / "data/sub").c_str(), (dir / "dirlink").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "nowhere").c_str(), (dir / "dangling").c_str()), 0);
    // Paths below the test folder; a leading quote goes before the whole path.
    // clang-format off
    const struct {
        const char* path;
        bool file;
        bool folder;
    } cases[] = {
        {"data/a.txt", true, false}, {"data/sub", false, true}, {"data/sub/", false, true},
        {"data/missing", false, false},
        // One trailing separator goes; spaces around a name make another name.
        {"data/a.txt/", true, false}, {"data/a.txt ", false, false},
        // Quotes around a path go, also a lone one at either end; a quote
        // inside a name stays.
        {"\"data/a.txt\"", true, false}, {"\"data/a.txt", true, false},
        {"data/a.txt\"", true, false}, {"\"data/sub\"", false, true}, {"\"data/sub", false, true},
        {"more/say\"hi\".txt", true, false}, {"\"more/say\"hi\".txt", true, false},
        // Links are entries of their own, whatever they point at.
        {"dirlink", true, false}, {"dirlink/", true, false}, {"dangling", true, false},
        // A pattern asks about the first matching entry, and "." comes first.
        {"data/*.txt", true, false}, {"data/*.TXT", true, false}, {"data/?.txt", true, false},
        {"data/*.log", false, false}, {"data/s*", false, false}, {"missing/*.txt", false, false},
        {"data/*", false, false}, {"\"data/*.txt\"", true, false},
        {"more/\xff\xfe-\x80.bin", true, false}, {"more/\xc3\x28", false, true},
        {"more/*.bin", true, false},
        // Names with pattern characters are names, not patterns.
        {"names/*", true, false}, {"names/a?", true, false}, {"names/[x]", true, false},
        {"names/d*", false, true}};
    // clang-format on
    for (const auto& c : cases) {
        const std::string path = c.path[0] == '"' ? '"' + (dir / (c.path + 1)) : dir / c.path;
        EXPECT_EQ(FileExists(path), c.file) << path;
        EXPECT_EQ(DirExists(path), c.folder) << path;
    }
    EXPECT_TRUE(DirExists("/"));
    // Blank paths are nothing, wherever the current directory is.
    ASSERT_EQ(::chdir(dir.path().c_str()), 0);
    for (const std::string blank : {"", " ", "     "}) {
        EXPECT_FALSE(FileExists(blank));
        EXPECT_FALSE(DirExists(blank));
    }
}

TEST_F(FileHelpers, CurrentDirectoryAndTheFolderOrNameOfAPath)
{
    // clang-format off
    const std::pair<const char*, const char*> folders[] = {
        {"data/sub", "data/sub"}, {"data/sub/", "data/sub/"}, {"data/a.txt", "data/"},
        {"data/missing.txt", "data/"}, {"data/\xff.txt", "data/"}};
    for (const auto& [path, folder] : folders)
        EXPECT_EQ(FolderOfPath(dir / path), dir / folder) << path;
    EXPECT_EQ(FolderOfPath("/x"), "/");
    const std::pair<const char*, const char*> names[] = {
        {"/data/", ""}, {"a.txt", "a.txt"}, {"/data/deep/a.txt", "a.txt"},
        {"/", ""},      {"", ""},           {"/d/\xff\xfe-\x80.bin", "\xff\xfe-\x80.bin"}};
    // clang-format on
    for (const auto& [path, name] : names)
        EXPECT_EQ(FileNameOfPath(path), name) << path;

    ASSERT_EQ(::chdir((dir / "data").c_str()), 0);
    char real[4096];
    ASSERT_NE(::getcwd(real, sizeof real), nullptr);
    EXPECT_EQ(CurrentDirectory(), real);
    // A bare name lies in the current directory, and so do patterns.
    EXPECT_EQ(FolderOfPath("report.txt"), real);
    EXPECT_EQ(FolderOfPath("sub"), real);
    EXPECT_TRUE(FileExists("*.txt"));
    EXPECT_FALSE(FileExists("s?b"));

    // A removed current directory is none, and a bare name then stands for
    // no folder at all rather than a wrong one.
    makeDir(dir / "gone");
    ASSERT_EQ(::chdir((dir / "gone").c_str()), 0);
    ASSERT_EQ(::rmdir((dir / "gone").c_str()), 0);
    EXPECT_EQ(CurrentDirectory(), "");
    EXPECT_EQ(FolderOfPath("report.txt"), "");
}

TEST_F(FileHelpers, AttributesAreTheFiveBitsOfTheEntryOrAnError)
{
    // Stored word, then what is reported: bits beyond the five (temporary
    // 0x100, compressed 0x800, not indexed 0x2000) are dropped, "normal" is
    // nothing.
    const std::pair<uint32_t, int32_t> cases[] = {
        {0x22, 34}, {0x800 | 0x2, 2}, {0x2000 | 0x104, 4}, {0x80, 0}, {0x27, 1 + 2 + 4 + 32}};
    bool reparse = false;
    EXPECT_EQ(GetEntryAttributes(dir / "data/a.txt", false, reparse), 0);
    EXPECT_EQ(GetEntryAttributes(dir / "data/sub", false, reparse), 16);
    for (const auto& [stored, reported] : cases) {
        test::setDosAttrib(dir / "data/a.txt", stored);
        EXPECT_EQ(GetEntryAttributes(dir / "data/a.txt", false, reparse), reported) << stored;
    }
    test::setDosAttrib(dir / "data/sub", 0x2 | 0x4);
    EXPECT_EQ(GetEntryAttributes(dir / "data/sub", false, reparse), 16 + 2 + 4);
    EXPECT_FALSE(reparse);

    // A link yields nothing and raises the flag, which later calls on
    // ordinary entries, and failing ones, leave raised.
    ASSERT_EQ(::symlink((dir / "data/sub").c_str(), (dir / "dirlink").c_str()), 0);
    EXPECT_EQ(GetEntryAttributes(dir / "dirlink", false, reparse), 0);
    EXPECT_TRUE(reparse);
    EXPECT_EQ(GetEntryAttributes(dir / "data/sub", false, reparse), 16 + 2 + 4);
    EXPECT_EQ(GetEntryAttributes(dir / "missing", true, reparse), 0);
    EXPECT_TRUE(reparse);
    for (const std::string blank : {"", " "})
        EXPECT_EQ(GetEntryAttributes(blank, false, reparse), 0);

    // Unreachable entries are 0 when quiet and an error otherwise.
    reparse = false;
    EXPECT_EQ(GetEntryAttributes(dir / "missing", true, reparse), 0);
    Error e = errorOf([&] { GetEntryAttributes(dir / "missing", false, reparse); });
    EXPECT_EQ(e.number, static_cast<int32_t>(0x800403E8u));
    EXPECT_EQ(e.description, "No such file or directory");

    const std::string locked = dir / "data/a.txt";
    int code = EACCES;
    platform::ScopedFaultHook hook([&](platform::FaultPoint point, std::string_view path) {
        return point == platform::FaultPoint::ReadAttributes && path == locked ? code : 0;
    });
    EXPECT_EQ(GetEntryAttributes(locked, true, reparse), 0);
    e = errorOf([&] { GetEntryAttributes(locked, false, reparse); });
    EXPECT_EQ(e.number, ErrorNumber::AttributeQuery);
    EXPECT_EQ(e.description, std::strerror(EACCES));

    // A failure without a system code is reported as permission denied.
    code = -1;
    e = errorOf([&] { GetEntryAttributes(locked, false, reparse); });
    EXPECT_EQ(e.number, 70);
    EXPECT_EQ(e.description, "Permission denied");
    EXPECT_FALSE(reparse);
}

} // namespace
} // namespace umbrix
