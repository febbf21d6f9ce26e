#include "search/SearchCriteria.h"

#include "search/ScanCriteria.h"
#include "support/TempDir.h"

#include <climits>
#include <gtest/gtest.h>
#include <unistd.h>

namespace umbrix {
namespace {

TEST(SearchTexts, PatternAndCriteriaFollowTheSlashAndTheStar)
{
    struct Case {
        std::string text, pattern, criteria;
    };
    const Case cases[] = {
        {"*.*", "*.*", ""},
        {"", "", ""},
        {"Backup", "Backup", ""},
        {"/data/old/*.txt", "*.txt", "/data/old/"},
        {"old/*", "*", "old/"},
        {"/data/*/x", "x", "/data/*/"},
        // A slash without a star is a folder text; "?" does not count as "*".
        {"old/a?c", "*.*", "old/a?c/"},
        {"/data/old/", "*.*", "/data/old/"},
    };
    for (const Case& c : cases) {
        const SearchTexts texts = deriveSearchTexts(c.text);
        EXPECT_EQ(texts.SearchPattern, c.pattern) << c.text;
        EXPECT_EQ(texts.SearchCriteria, c.criteria) << c.text;
    }
}

TEST(SearchTexts, CriteriaAreFoundInTheFolderAsThePersonSeesIt)
{
    const struct {
        std::string folder, criteria;
        bool contained;
    } cases[] = {
        {"/home/Ann/Data/", "", true},
        {"/home/Ann/Data/", "ann/data/", true},
        {"/home/Ann/Data/", "/HOME/", true},
        {"/home/Ann/Data/", "ann/data/x", false},
        {"/home/", "/home/Ann/", false},
        {"/Caf\xc3\xa9/", "caf\xc3\xa9", true},
        // Bytes that are not UTF-8 match their visible form, never the raw byte.
        {"/a\xff/", "A\\xfF", true},
        {"/a\xff/", "a\xff", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(folderContainsCriteria(c.folder, c.criteria), c.contained)
            << c.folder << " " << c.criteria;
}

TEST(SplitPathSpec, OnlyAnOrdinaryFileOrAFolderGivesAFolderPart)
{
    test::TempDir dir;
    test::makeDir(dir / "sub");
    test::makeFile(dir / "sub/a.txt", "x");
    for (const auto& [name, attributes] : {std::pair{"sub/shy.doc", 0x2}, {"sub/core.sys", 0x4}}) {
        test::makeFile(dir / name, "x");
        test::setDosAttrib(dir / name, attributes);
    }
    test::makeDir(dir / "sub/folder.doc");
    test::makeFile(dir / "top.txt", "x"); // would match "*.txt" were the current directory used
    char previous[PATH_MAX] = {};
    ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(::chdir(dir.path().c_str()), 0);

    const std::string tooLong = "/" + std::string(5000, 'x') + "/a.txt";
    const struct {
        std::string text, folder, fileName;
    } cases[] = {
        {dir / "sub/a.txt", dir / "sub/", "a.txt"},
        {dir / "sub/*.TXT", dir / "sub/", "*.TXT"},
        // Only a hidden file, a system file or a directory matches: no file.
        {dir / "sub/*.doc", "", dir / "sub/*.doc"},
        {dir / "sub/*.sys", "", dir / "sub/*.sys"},
        {dir / "sub", dir / "sub", ""},
        {dir / "sub/", dir / "sub/", ""},
        // A relative folder is taken from the root, not the current directory.
        {"sub", "/sub", ""},
        {"sub/a.txt", "/sub/", "a.txt"},
        {"*.txt", "", "*.txt"},
        {dir / "missing/deeper/*.txt", "", dir / "missing/deeper/*.txt"},
        {tooLong, "", tooLong},
    };
    for (const auto& c : cases) {
        std::string fileName = "unchanged";
        EXPECT_EQ(SplitPathSpec(c.text, fileName), c.folder) << c.text.substr(0, 80);
        EXPECT_EQ(fileName, c.fileName) << c.text.substr(0, 80);
    }
    EXPECT_EQ(::chdir(previous), 0);
}

} // namespace
} // namespace umbrix
