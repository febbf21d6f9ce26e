#include "search/ScanTreeFixture.h"

#include "platform/FaultInjection.h"
#include "platform/PathText.h"
#include "support/NtfsVolume.h"

#include <map>
#include <memory>
#include <unistd.h>

namespace umbrix::test {
namespace {

bool contains(const std::vector<std::string>& list, const std::string& item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

class ScanListing : public ScanTreeFixture {};

TEST_F(ScanListing, EachOptionListsAndUnhidesByItsRules)
{
    struct Kind {
        std::string name;
        uint32_t attributes;
        bool isFolder;
    };
    const Kind kinds[] = {
        {"hidden", H, false},          {"system", S, false},    {"hidden-system", H | S, false},
        {"hidden-readonly-archive", H | R | A, false},          {"plain", 0, false},
        {"hidden-dir", H, true},       {"system-dir", S, true}, {"hidden-system-dir", H | S, true},
        {"plain-dir", 0, true},
    };
    const std::vector<std::string> everything{"hidden",     "system",     "hidden-system",     "hidden-readonly-archive",
                                              "plain",      "hidden-dir", "system-dir",        "hidden-system-dir",
                                              "plain-dir"};
    const std::vector<std::string> hiddenOrSystem{"hidden",     "system",     "hidden-system",    "hidden-readonly-archive",
                                                  "hidden-dir", "system-dir", "hidden-system-dir"};
    const std::vector<std::string> unhideable{"hidden", "hidden-readonly-archive", "hidden-dir"};
    const std::vector<std::string> folders{"hidden-dir", "system-dir", "hidden-system-dir"};
    struct Case {
        std::string options;
        std::function<void()> set;
        std::vector<std::string> listed, unhidden;
        int scanned;
    };
    const Case cases[] = {
        {"defaults", [] {}, hiddenOrSystem, unhideable, 9},
        {"ViewAll", [] { app().ViewAll = true; }, everything, unhideable, 9},
        {"FilesOnly",
         [] { app().ViewAll = app().FilesOnly = true; },
         {"hidden", "system", "hidden-system", "hidden-readonly-archive", "plain"},
         {"hidden", "hidden-readonly-archive"},
         9},
        {"DirsOnly", [] { app().DirsOnly = true; }, folders, {"hidden-dir"}, 9},
        // A folder outside the criteria lists nothing but is unhidden all the same.
        {"outside", [] {
             app().ViewAll = true;
             app().SearchCriteria = "elsewhere/";
         }, {}, unhideable, 9},
        {"criteria", [] { app().SearchCriteria = "/CASE-CRITERIA/"; }, hiddenOrSystem, unhideable, 9},
        // Names the pattern leaves out are never examined, so never unhidden.
        {"pattern", [] { app().SearchPattern = "*-DIR"; }, folders, {"hidden-dir"}, 4},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        freshSearch();
        app().SearchSubDirs = false;
        c.set();
        const std::string place = "case-" + c.options;
        folder(place);
        for (const Kind& k : kinds)
            (k.isFolder ? folder(place + "/" + k.name, k.attributes) : file(place + "/" + k.name, k.attributes));
        file(place + "/hidden-dir/inner", H);

        // Either spelling of the start folder, with or without its "/".
        const std::string start = at(place) + (index++ % 2 ? "/" : "");
        EXPECT_FALSE(ScanFolder(host, start, start));
        std::vector<std::string> listed;
        for (const std::string& name : c.listed)
            listed.push_back(place + "/" + name);
        EXPECT_EQ(sortedRows(), paths(listed));
        for (const Kind& k : kinds)
            EXPECT_EQ(attributes(place + "/" + k.name),
                      (contains(c.unhidden, k.name) ? k.attributes & ~H : k.attributes) | (k.isFolder ? D : 0))
                << k.name;
        EXPECT_EQ(attributes(place + "/hidden-dir/inner"), H) << "nothing below is touched";
        // Unlisted entries are examined and counted all the same; "." and ".." are not.
        EXPECT_EQ(app().ScannedCount, c.scanned);
        EXPECT_TRUE(host.logs.empty());
    }
}

TEST_F(ScanListing, EveryFolderIsEnteredDeepestFirstAndEveryEntryReadIsCounted)
{
    // The pattern names one extension, yet folders it leaves out are entered.
    app().SearchPattern = "*.TXT";
    folder("sub", H);
    folder("sub/inner");
    file("sub/inner/deepest.txt", H);
    file("sub/deep.txt", H);
    file("sub/deep.dat", H);
    folder("dir.txt", H);
    file("top.txt", H);
    file("top.dat", H);
    EXPECT_FALSE(scan());
    ASSERT_EQ(host.rows.size(), 4u);
    EXPECT_EQ(host.rows[0], at("sub/inner/deepest.txt"));
    EXPECT_EQ(host.rows[1], at("sub/deep.txt"));
    EXPECT_EQ(sortedRows(), paths({"sub/inner/deepest.txt", "sub/deep.txt", "dir.txt", "top.txt"}));
    EXPECT_EQ(attributes("sub"), H | D);
    EXPECT_EQ(attributes("sub/deep.dat"), H);
    EXPECT_EQ(attributes("dir.txt"), D);
    // Reading root 2+4, sub 2+3, inner 2+1, dir.txt 2; listing inner 1,
    // sub 1, dir.txt 0, root 2.
    EXPECT_EQ(app().ScannedCount, 20);
}

TEST_F(ScanListing, SymbolicLinksAreNeitherListedCountedNorEntered)
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

TEST_F(ScanListing, OddNamesAreListedAndUnhiddenByteExactly)
{
    const std::vector<std::string> names{
        "latin1-caf\xe9", "broken-\xff\xfe", "line\nbreak", " leading", "trailing ", std::string(255, 'n'), "*?<>|\"",
    };
    folder("caf\xe9-dir");
    std::vector<std::string> expected;
    for (const std::string& name : names) {
        for (const std::string& relative : {name, "caf\xe9-dir/" + name}) {
            file(relative, H);
            expected.push_back(relative);
        }
    }
    EXPECT_FALSE(scan());
    EXPECT_EQ(sortedRows(), paths(expected));
    for (const std::string& name : expected)
        EXPECT_EQ(attributes(name), 0u) << displayText(name);
}

TEST_F(ScanListing, EachFolderIsReadOnceAndEachEntryQueriedOnce)
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
    // A hidden folder is asked again before it is unhidden; the rest once.
    EXPECT_EQ(queried, (std::map<std::string, int>{{at("a"), 2}, {at("a/one"), 1}, {at("a/two"), 1}, {at("b"), 1}}));
}

TEST_F(ScanListing, AHardLinkUnhiddenBelowIsSeenAsVisibleAbove)
{
    folder("sub");
    file("hidden", H);
    ASSERT_EQ(::link(at("hidden").c_str(), at("sub/alias").c_str()), 0);
    scan();
    // The deeper name is met first and unhides the file for both names.
    EXPECT_EQ(host.rows, paths({"sub/alias"}));
    EXPECT_EQ(attributes("hidden"), 0u);
}

// The same rules on a real NTFS volume, where the attributes are the
// filesystem's own.
class NtfsScan : public ScanTreeFixture {
protected:
    void SetUp() override
    {
        ScanTreeFixture::SetUp();
        volume_ = std::make_unique<NtfsVolume>(dir.path());
        if (!volume_->mounted())
            GTEST_SKIP() << volume_->skipReason();
        makeDir(root());
    }
    void TearDown() override
    {
        volume_.reset();
        ScanTreeFixture::TearDown();
    }
    std::string root() const override { return volume_->root() + "/tree"; }

private:
    std::unique_ptr<NtfsVolume> volume_;
};

TEST_F(NtfsScan, ListsUnhidesAndKeepsNamesByTheSameRules)
{
    // NTFS keeps UTF-16 names, so only valid UTF-8 survives there.
    const std::vector<std::string> odd{" leading", "trailing ", "line\nbreak", std::string(255, 'n'), "caf\xc3\xa9"};
    for (const std::string& name : odd)
        file(name, H | A);
    file("system", S | A);
    file("hidden-system", H | S);
    file("hidden-readonly", H | R);
    file("plain");
    folder("hidden-dir", H);
    file("hidden-dir/deep", H);
    folder("plain-dir");
    ASSERT_EQ(::symlink("plain-dir", at("link").c_str()), 0);

    EXPECT_FALSE(scan());
    EXPECT_EQ(host.rows.front(), at("hidden-dir/deep"));
    std::vector<std::string> listed = odd;
    listed.insert(listed.end(), {"system", "hidden-system", "hidden-readonly", "hidden-dir", "hidden-dir/deep"});
    EXPECT_EQ(sortedRows(), paths(listed));
    for (const std::string& name : odd)
        EXPECT_EQ(attributes(name) & ~A, 0u) << name;
    EXPECT_EQ(attributes("system") & ~A, S);
    EXPECT_EQ(attributes("hidden-system") & ~A, H | S);
    EXPECT_EQ(attributes("hidden-readonly") & ~A, R);
    EXPECT_EQ(attributes("hidden-dir") & ~A, D);
    EXPECT_EQ(attributes("hidden-dir/deep") & ~A, 0u);
    // Reading root 2+12, hidden-dir 2+1, plain-dir 2; listing 1, 0 and 11.
    EXPECT_EQ(app().ScannedCount, 31);
    EXPECT_TRUE(host.logs.empty());
}

} // namespace
} // namespace umbrix::test
