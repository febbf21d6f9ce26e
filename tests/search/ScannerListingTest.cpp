#include "platform/FaultInjection.h"
#include "platform/PathText.h"
#include "search/ScanTreeFixture.h"
#include "support/NtfsVolume.h"

#include <map>
#include <optional>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace umbrix::test {
namespace {

// Splits "a b c" into its words.
std::vector<std::string> words(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string word; in >> word;)
        out.push_back(word);
    return out;
}

class ScanListing : public ScanTreeFixture {};

TEST_F(ScanListing, EachOptionListsAndUnhidesByItsRules)
{
    // One entry of every kind the listing rules tell apart: the name spells
    // its attributes (hidden, system, read-only, archive, "-" none), ".dir"
    // marks a folder.
    const std::map<std::string, uint32_t> kinds{
        {"h", H},     {"s", S},     {"hs", H | S},     {"hra", H | R | A}, {"-", 0},
        {"h.dir", H}, {"s.dir", S}, {"hs.dir", H | S}, {"-.dir", 0}};
    struct Case {
        std::string options;
        std::function<void(SearchOptions&)> set;
        std::string listed, unhidden;
        int scanned;
    };
    // clang-format off
    const Case cases[] = {
        {"defaults", [](SearchOptions&) {}, "h s hs hra h.dir s.dir hs.dir", "h hra h.dir", 9},
        {"ViewAll", [](SearchOptions& s) { s.ViewAll = true; },
         "h s hs hra - h.dir s.dir hs.dir -.dir", "h hra h.dir", 9},
        {"FilesOnly", [](SearchOptions& s) { s.ViewAll = s.FilesOnly = true; },
         "h s hs hra -", "h hra", 9},
        {"DirsOnly", [](SearchOptions& s) { s.DirsOnly = true; }, "h.dir s.dir hs.dir", "h.dir", 9},
        // A folder outside the criteria lists nothing but is unhidden all the same.
        {"outside", [](SearchOptions& s) { s.ViewAll = true; s.SearchCriteria = "elsewhere/"; },
         "", "h hra h.dir", 9},
        {"criteria", [](SearchOptions& s) { s.SearchCriteria = "/CASE-CRITERIA/"; },
         "h s hs hra h.dir s.dir hs.dir", "h hra h.dir", 9},
        // Names the pattern leaves out are never examined, so never unhidden.
        {"pattern", [](SearchOptions& s) { s.SearchPattern = "*.DIR"; }, "h.dir s.dir hs.dir", "h.dir", 4},
    };
    // clang-format on
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        freshSearch();
        options.SearchSubDirs = false;
        c.set(options);
        const std::string place = "case-" + c.options + "/";
        folder(place);
        for (const auto& [name, attributes] : kinds)
            name.ends_with(".dir") ? folder(place + name, attributes)
                                   : file(place + name, attributes);
        file(place + "h.dir/inner", H);

        // Either spelling of the start folder, with or without its "/".
        const std::string start = at(place).substr(0, at(place).size() - (index++ % 2));
        EXPECT_FALSE(ScanFolder(context(), start, start));
        std::vector<std::string> listed = words(c.listed);
        for (std::string& name : listed)
            name.insert(0, place);
        EXPECT_EQ(sortedRows(), paths(listed));
        const std::vector<std::string> unhidden = words(c.unhidden);
        for (const auto& [name, stored] : kinds) {
            const bool madeVisible =
                std::find(unhidden.begin(), unhidden.end(), name) != unhidden.end();
            EXPECT_EQ(attributes(place + name),
                      (madeVisible ? stored & ~H : stored) | (name.ends_with(".dir") ? D : 0))
                << name;
        }
        EXPECT_EQ(attributes(place + "h.dir/inner"), H) << "nothing below is touched";
        // Unlisted entries are examined and counted all the same; "." and ".." are not.
        EXPECT_EQ(flags.ScannedCount, c.scanned);
        EXPECT_TRUE(host.logs.empty());
    }
}

// Every folder is entered, even one the pattern leaves out, and listed
// deepest first; each folder is opened once and each entry queried once;
// only the hidden and not system are rewritten.  Links are read, but
// neither listed, counted, entered nor followed.
TEST_F(ScanListing, EachEntryIsExaminedOnceDeepestFirstAndLinksAreNeverFollowed)
{
    options.SearchPattern = "*.TXT";
    folder("sub", H);
    folder("sub/inner");
    file("sub/inner/deepest.txt", H);
    file("sub/deep.txt", H | S);
    file("sub/deep.dat", H);
    folder("dir.txt", H);
    file("top.txt", H);
    makeTree(root(), {"link.txt -> top.txt", "dirlink.txt -> sub", "sub/loop.txt -> ..",
                      "dangling.txt -> nowhere"});
    std::map<std::string, int> opened, queried, rewritten;
    const platform::ScopedFaultHook count([&](platform::FaultPoint point, std::string_view path) {
        if (point == platform::FaultPoint::OpenDirectory)
            opened[std::string(path)]++;
        else if (point == platform::FaultPoint::ReadAttributes)
            queried[std::string(path)]++;
        else if (point == platform::FaultPoint::WriteAttributes)
            rewritten[std::string(path)]++;
        return 0;
    });
    EXPECT_FALSE(scan());
    ASSERT_EQ(host.rows.size(), 4u);
    EXPECT_EQ(host.rows[0], at("sub/inner/deepest.txt"));
    EXPECT_EQ(host.rows[1], at("sub/deep.txt"));
    EXPECT_EQ(sortedRows(), paths({"sub/inner/deepest.txt", "sub/deep.txt", "dir.txt", "top.txt"}));
    // Each row keeps the entry it was found as, for the commands on it.
    for (size_t i = 0; i < host.rows.size(); ++i) {
        struct stat st {};
        ASSERT_EQ(::lstat(host.rows[i].c_str(), &st), 0);
        EXPECT_EQ(host.identities[i].dev, st.st_dev) << host.rows[i];
        EXPECT_EQ(host.identities[i].ino, st.st_ino) << host.rows[i];
    }
    EXPECT_EQ(opened,
              (std::map<std::string, int>{
                  {root() + "/", 1}, {at("sub/"), 1}, {at("sub/inner/"), 1}, {at("dir.txt/"), 1}}));
    std::map<std::string, int> once;
    for (const char* entry :
         {"sub", "sub/inner", "sub/inner/deepest.txt", "sub/deep.txt", "sub/deep.dat",
          "sub/loop.txt", "dir.txt", "top.txt", "link.txt", "dirlink.txt", "dangling.txt"})
        once[at(entry)] = 1;
    EXPECT_EQ(queried, once);
    EXPECT_EQ(rewritten,
              (std::map<std::string, int>{
                  {at("sub/inner/deepest.txt"), 1}, {at("dir.txt"), 1}, {at("top.txt"), 1}}));
    EXPECT_EQ(attributes("sub"), H | D);
    EXPECT_EQ(attributes("sub/deep.dat"), H);
    // Reading root 2+6, sub 2+4, inner 2+1, dir.txt 2; listing inner 1,
    // sub 1, root 2.
    EXPECT_EQ(flags.ScannedCount, 23);
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

// The same rules and odd names on each store: user.DOSATTRIB here, and a
// real NTFS volume, where the attributes are the filesystem's own and only
// valid UTF-8 names can be made.
class ScanStores : public ScanTreeFixture, public ::testing::WithParamInterface<bool> {};

TEST_P(ScanStores, OddNamesAndEveryKindEndAsTheRulesSay)
{
    std::optional<NtfsVolume> volume;
    if (GetParam()) {
        volume.emplace(dir.path());
        if (!volume->mounted())
            GTEST_SKIP() << volume->skipReason();
        base = volume->root() + "/tree";
        makeDir(base);
    }
    // Each entry with the attributes it is given and those it must end with;
    // ".dir" marks a folder.
    std::map<std::string, std::pair<uint32_t, uint32_t>> entries{{" leading", {H, 0}},
                                                                 {"trailing ", {H, 0}},
                                                                 {"line\nbreak", {H | A, A}},
                                                                 {"caf\xc3\xa9.dir", {H, D}},
                                                                 {"caf\xc3\xa9.dir/deep", {H, 0}},
                                                                 {std::string(255, 'n'), {H, 0}},
                                                                 {"system", {S, S}},
                                                                 {"hidden-system", {H | S, H | S}},
                                                                 {"hidden-readonly", {H | R, R}},
                                                                 {"*?<>|\"", {H, 0}}};
    if (!GetParam()) {
        for (const char* name : {"latin1-caf\xe9", "broken-\xff\xfe", "caf\xc3\xa9.dir/\xff"})
            entries[name] = {H, 0};
    }
    std::vector<std::string> listed;
    for (const auto& [name, given] : entries) {
        name.ends_with(".dir") ? folder(name, given.first) : file(name, given.first);
        listed.push_back(name);
    }
    file("plain");
    folder("plain.dir");
    ASSERT_EQ(::symlink("plain.dir", at("link").c_str()), 0);

    EXPECT_FALSE(scan());
    EXPECT_TRUE(host.rows.front().starts_with(at("caf\xc3\xa9.dir/")));
    EXPECT_EQ(sortedRows(), paths(listed));
    // NTFS may add the archive bit to what it was given.
    for (const auto& [name, given] : entries)
        EXPECT_EQ(attributes(name) & ~(A & ~given.second), given.second) << displayText(name);
    EXPECT_TRUE(host.logs.empty());
}

INSTANTIATE_TEST_SUITE_P(Store, ScanStores, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Ntfs" : "DosAttrib"; });

} // namespace
} // namespace umbrix::test
