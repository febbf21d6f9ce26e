#include "search/SearchCriteria.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>

namespace umbrix {
namespace {

using test::TempDir;

TEST(SearchTexts, PatternAndCriteriaFollowTheSlashAndTheStar)
{
    struct Case {
        std::string spec, pattern, criteria;
    };
    const Case cases[] = {
        {"*.*", "*.*", ""},
        {"report?.doc", "report?.doc", ""},
        {"", "", ""},
        {"/data/old/*.txt", "*.txt", "/data/old/"},
        {"old/*", "*", "old/"},
        {"/data/*/x", "x", "/data/*/"},
        // A slash without a star is a folder text; "?" does not count as "*".
        {"old/a?c", "*.*", "old/a?c/"},
        {"/data/old/", "*.*", "/data/old/"},
        {"Backup", "Backup", ""},
    };
    for (const Case& c : cases) {
        const SearchTexts texts = deriveSearchTexts(c.spec);
        EXPECT_EQ(texts.SearchPattern, c.pattern) << c.spec;
        EXPECT_EQ(texts.SearchCriteria, c.criteria) << c.spec;
    }
}

class SplitPathSpecTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(::getcwd(previous_, sizeof previous_), nullptr);
        test::makeDir(dir / "sub");
        test::makeFile(dir / "sub/a.txt", "x");
        test::makeFile(dir / "sub/shy.doc", "x");
        test::setDosAttrib(dir / "sub/shy.doc", 0x2);
        test::makeFile(dir / "sub/core.sys", "x");
        test::setDosAttrib(dir / "sub/core.sys", 0x4);
        test::makeDir(dir / "sub/folder.doc");
        ASSERT_EQ(::chdir(dir.path().c_str()), 0);
    }
    void TearDown() override { ASSERT_EQ(::chdir(previous_), 0); }

    std::string split(const std::string& spec)
    {
        fileName = "unchanged";
        return SplitPathSpec(spec, fileName);
    }

    TempDir dir;
    std::string fileName;
    char previous_[PATH_MAX] = {};
};

TEST_F(SplitPathSpecTest, AnExistingFileSplitsAtItsLastSlash)
{
    EXPECT_EQ(split(dir / "sub/a.txt"), dir / "sub/");
    EXPECT_EQ(fileName, "a.txt");
    EXPECT_EQ(split(dir / "sub/*.TXT"), dir / "sub/");
    EXPECT_EQ(fileName, "*.TXT");
}

TEST_F(SplitPathSpecTest, HiddenSystemAndDirectoryEntriesAreNoFiles)
{
    // Only a hidden file, a system file and a directory match: no file.
    EXPECT_EQ(split(dir / "sub/*.doc"), "");
    EXPECT_EQ(fileName, dir / "sub/*.doc");
    EXPECT_EQ(split(dir / "sub/*.sys"), "");
    EXPECT_EQ(fileName, dir / "sub/*.sys");
}

TEST_F(SplitPathSpecTest, ADirectoryIsAllFolder)
{
    EXPECT_EQ(split(dir / "sub"), dir / "sub");
    EXPECT_EQ(fileName, "");
    EXPECT_EQ(split(dir / "sub/"), dir / "sub/");
    EXPECT_EQ(fileName, "");
}

TEST_F(SplitPathSpecTest, ARelativeFolderIsTakenFromTheRootNotFromTheCurrentDirectory)
{
    EXPECT_EQ(split("sub"), "/sub");
    EXPECT_EQ(fileName, "");
    EXPECT_EQ(split("sub/a.txt"), "/sub/");
    EXPECT_EQ(fileName, "a.txt");
}

TEST_F(SplitPathSpecTest, APatternWithoutFolderIsAllFileName)
{
    EXPECT_EQ(split("sub/../sub/nothing*"), "");
    EXPECT_EQ(fileName, "sub/../sub/nothing*");
    EXPECT_EQ(split("*.*"), "");
    EXPECT_EQ(fileName, "*.*");
    ASSERT_EQ(::chdir("sub"), 0);
    EXPECT_EQ(split("*.txt"), "");
    EXPECT_EQ(fileName, "*.txt");
}

TEST_F(SplitPathSpecTest, UnreachablePathsGiveTheWholeTextAsFileName)
{
    EXPECT_EQ(split(dir / "missing/deeper/*.txt"), "");
    EXPECT_EQ(fileName, dir / "missing/deeper/*.txt");
    const std::string tooLong(5000, 'x');
    EXPECT_EQ(split("/" + tooLong + "/a.txt"), "");
    EXPECT_EQ(fileName, "/" + tooLong + "/a.txt");
}

} // namespace
} // namespace umbrix
