#include "search/ScanTreeFixture.h"

#include "platform/FaultInjection.h"

#include <cctype>
#include <map>
#include <unistd.h>

namespace umbrix::test {
namespace {

constexpr uint32_t R = platform::Attr::ReadOnly;
constexpr uint32_t H = platform::Attr::Hidden;
constexpr uint32_t S = platform::Attr::System;
constexpr uint32_t D = platform::Attr::Directory;
constexpr uint32_t A = platform::Attr::Archive;

// One folder with every kind of entry the listing rules tell apart.
class ScanListing : public ScanTreeFixture {
protected:
    void SetUp() override
    {
        ScanTreeFixture::SetUp();
        app().SearchSubDirs = false;
        file("hidden", H);
        file("system", S);
        file("hidden-system", H | S);
        file("hidden-readonly-archive", H | R | A);
        file("plain");
        folder("hidden-dir", H);
        folder("system-dir", S);
        folder("hidden-system-dir", H | S);
        folder("plain-dir");
    }

    void expectUnhidingDone()
    {
        EXPECT_EQ(attributes("hidden"), 0u);
        EXPECT_EQ(attributes("system"), S);
        EXPECT_EQ(attributes("hidden-system"), H | S);
        EXPECT_EQ(attributes("hidden-readonly-archive"), R | A);
        EXPECT_EQ(attributes("hidden-dir"), D);
        EXPECT_EQ(attributes("system-dir"), S | D);
        EXPECT_EQ(attributes("hidden-system-dir"), H | S | D);
    }
};

TEST_F(ScanListing, DefaultListsHiddenAndSystemAndUnhidesOnlyTheHiddenOnes)
{
    EXPECT_FALSE(scan());
    EXPECT_EQ(sortedRows(), paths({"hidden", "system", "hidden-system", "hidden-readonly-archive",
                                   "hidden-dir", "system-dir", "hidden-system-dir"}));
    expectUnhidingDone();
    EXPECT_EQ(attributes("plain"), 0u);
    EXPECT_EQ(attributes("plain-dir"), D);
    // Unlisted entries are examined all the same.
    EXPECT_EQ(app().ScannedCount, 9);
    EXPECT_EQ(host.refreshed.size(), 9u);
    EXPECT_TRUE(host.logs.empty());
}

TEST_F(ScanListing, ViewAllListsEveryEntry)
{
    app().ViewAll = true;
    // A folder given with its trailing "/" gets no second one.
    EXPECT_FALSE(ScanFolder(host, root() + "/", root() + "/"));
    EXPECT_EQ(sortedRows(),
              paths({"hidden", "system", "hidden-system", "hidden-readonly-archive", "plain",
                     "hidden-dir", "system-dir", "hidden-system-dir", "plain-dir"}));
    expectUnhidingDone();
}

TEST_F(ScanListing, FilesOnlyLeavesDirectoriesAloneButCountsThem)
{
    app().FilesOnly = true;
    app().ViewAll = true;
    scan();
    EXPECT_EQ(sortedRows(),
              paths({"hidden", "system", "hidden-system", "hidden-readonly-archive", "plain"}));
    EXPECT_EQ(attributes("hidden"), 0u);
    EXPECT_EQ(attributes("hidden-dir"), H | D);
    EXPECT_EQ(app().ScannedCount, 9);
}

TEST_F(ScanListing, DirsOnlyLeavesFilesAloneButCountsThem)
{
    app().DirsOnly = true;
    scan();
    EXPECT_EQ(sortedRows(), paths({"hidden-dir", "system-dir", "hidden-system-dir"}));
    EXPECT_EQ(attributes("hidden-dir"), D);
    EXPECT_EQ(attributes("hidden"), H);
    EXPECT_EQ(attributes("hidden-readonly-archive"), H | R | A);
    EXPECT_EQ(app().ScannedCount, 9);
}

TEST_F(ScanListing, CriteriaOutsideTheFolderStillUnhides)
{
    app().SearchCriteria = "elsewhere/";
    app().ViewAll = true;
    scan();
    EXPECT_TRUE(host.rows.empty());
    expectUnhidingDone();
    EXPECT_EQ(app().ScannedCount, 9);
}

TEST_F(ScanListing, CriteriaCompareWithoutRegardToCase)
{
    std::string tail = root().substr(root().rfind('/'));
    for (char& c : tail)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    app().SearchCriteria = tail + "/";
    scan();
    EXPECT_EQ(host.rows.size(), 7u);
}

class ScanWalk : public ScanTreeFixture {};

TEST_F(ScanWalk, DeepestFoldersAreListedFirst)
{
    folder("a", H);
    folder("a/b", H);
    file("a/b/deep", H);
    file("a/middle", H);
    file("top", H);
    EXPECT_FALSE(scan());
    ASSERT_EQ(host.rows.size(), 5u);
    EXPECT_EQ(host.rows[0], at("a/b/deep"));
    // Within a folder the filesystem's order rules; between folders, depth.
    const std::vector<std::string> aOwn{host.rows[1], host.rows[2]};
    const std::vector<std::string> rootOwn{host.rows[3], host.rows[4]};
    EXPECT_TRUE(std::is_permutation(aOwn.begin(), aOwn.end(), paths({"a/b", "a/middle"}).begin()));
    EXPECT_TRUE(std::is_permutation(rootOwn.begin(), rootOwn.end(), paths({"a", "top"}).begin()));
}

TEST_F(ScanWalk, EmptyParentListsOnlyTheSubfolders)
{
    folder("sub");
    file("sub/inner", H);
    file("outer", H);
    EXPECT_FALSE(ScanFolder(host, root(), ""));
    EXPECT_EQ(host.rows, paths({"sub/inner"}));
    EXPECT_EQ(attributes("outer"), H);
}

TEST_F(ScanWalk, WithoutSubfoldersNothingBelowIsTouched)
{
    app().SearchSubDirs = false;
    folder("sub", H);
    file("sub/inner", H);
    file("top", H);
    file("plain");
    scan();
    EXPECT_EQ(sortedRows(), paths({"sub", "top"}));
    EXPECT_EQ(attributes("sub/inner"), H);
    // Matching entries only: no "." and "..".
    EXPECT_EQ(app().ScannedCount, 3);
}

TEST_F(ScanWalk, EveryEntryIsCountedTwiceWithSubfolders)
{
    folder("a");
    file("a/one");
    file("a/two", H);
    file("b");
    ASSERT_EQ(::symlink("b", at("link").c_str()), 0);
    scan();
    // Reading root: . .. a b link (5); reading a: . .. one two (4);
    // listing a: one two (2); listing root: a b, never the link (2).
    EXPECT_EQ(app().ScannedCount, 13);
    EXPECT_EQ(host.rows, paths({"a/two"}));
}

TEST_F(ScanWalk, PatternSelectsListedNamesButEveryFolderIsEntered)
{
    app().SearchPattern = "*.TXT";
    folder("sub");
    file("sub/deep.txt", H);
    file("sub/deep.dat", H);
    folder("dir.txt", H);
    file("top.txt", H);
    file("top.dat", H);
    scan();
    EXPECT_EQ(sortedRows(), paths({"sub/deep.txt", "dir.txt", "top.txt"}));
    // Names the pattern leaves out are never examined, so never unhidden.
    EXPECT_EQ(attributes("top.dat"), H);
    EXPECT_EQ(attributes("sub/deep.dat"), H);
    EXPECT_EQ(attributes("dir.txt"), D);
    // Reading root 2+4, sub 2+2, dir.txt 2; listing sub 1, dir.txt 0, root 2.
    EXPECT_EQ(app().ScannedCount, 15);
}

TEST_F(ScanWalk, SymbolicLinksAreNeitherListedCountedNorEntered)
{
    app().ViewAll = true;
    folder("dir");
    file("dir/inside", H);
    file("target", H);
    ASSERT_EQ(::symlink("target", at("file-link").c_str()), 0);
    ASSERT_EQ(::symlink("dir", at("dir-link").c_str()), 0);
    ASSERT_EQ(::symlink("..", at("dir/loop").c_str()), 0);
    ASSERT_EQ(::symlink("nowhere", at("dangling").c_str()), 0);
    EXPECT_FALSE(scan());
    EXPECT_EQ(sortedRows(), paths({"dir/inside", "dir", "target"}));
    // Reading root: . .. dir target file-link dir-link dangling (7); dir:
    // . .. inside loop (4); listing dir: inside (1); listing root: dir target (2).
    EXPECT_EQ(app().ScannedCount, 14);
    EXPECT_EQ(attributes("target"), 0u);
}

TEST_F(ScanWalk, EachFolderIsReadAndEachEntryQueriedOnce)
{
    folder("a", H);
    file("a/one", H);
    file("a/two");
    file("b", S);
    std::map<std::string, int> opened, queried;
    const platform::ScopedFaultHook count([&](platform::FaultPoint point, std::string_view path) {
        if (point == platform::FaultPoint::OpenDirectory)
            opened[std::string(path)]++;
        else if (point == platform::FaultPoint::ReadAttributes)
            queried[std::string(path)]++;
        return 0;
    });
    scan();
    EXPECT_EQ(opened, (std::map<std::string, int>{{root() + "/", 1}, {at("a/"), 1}}));
    // Hidden folders are asked again before they are unhidden; the rest once.
    EXPECT_EQ(queried[at("a")], 2);
    EXPECT_EQ(queried[at("a/one")], 1);
    EXPECT_EQ(queried[at("a/two")], 1);
    EXPECT_EQ(queried[at("b")], 1);
}

TEST_F(ScanWalk, AHardLinkUnhiddenBelowIsSeenAsVisibleAbove)
{
    folder("sub");
    file("hidden", H);
    ASSERT_EQ(::link(at("hidden").c_str(), at("sub/alias").c_str()), 0);
    scan();
    // The deeper name is met first and unhides the file for both names.
    EXPECT_EQ(host.rows, paths({"sub/alias"}));
    EXPECT_EQ(attributes("hidden"), 0u);
}

TEST_F(ScanWalk, GetSubFoldersGivesFullPathsOfDirectoriesOnly)
{
    folder("one", H | S);
    folder("two");
    file("file");
    ASSERT_EQ(::symlink("two", at("link").c_str()), 0);
    app().Searching = true;
    std::vector<std::string> subFolders{"stale"};
    EXPECT_EQ(GetSubFolders(host, root(), subFolders), 2);
    std::sort(subFolders.begin(), subFolders.end());
    EXPECT_EQ(subFolders, paths({"one", "two"}));
    EXPECT_EQ(app().ScannedCount, 6);
    // Progress shows the name read next, empty once the folder is done.
    ASSERT_EQ(host.refreshed.size(), 6u);
    EXPECT_EQ(host.refreshed.back(), root() + "/");
}

} // namespace
} // namespace umbrix::test
