// attrib's behaviour on real files whose attributes live in user.DOSATTRIB.

#include "cli/AttribArguments.h"
#include "cli/AttribRun.h"
#include "platform/AttributeStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace umbrix::test {
namespace {

namespace Attr = platform::Attr;
constexpr uint32_t H = Attr::Hidden, S = Attr::System, R = Attr::ReadOnly, A = Attr::Archive;

class AttribOnDisk : public ::testing::Test {
protected:
    std::string at(const std::string& relative) const { return tmp / relative; }
    void file(const std::string& relative, uint32_t attributes = 0)
    {
        makeFile(at(relative), "x");
        if (attributes) {
            ASSERT_EQ(platform::storeAttributes(at(relative), attributes), 0);
        }
    }
    uint32_t word(const std::string& relative) const { return storedWord(at(relative)); }
    std::string lines(std::initializer_list<std::pair<const char*, std::string>> rows) const
    {
        std::string text;
        for (const auto& [columns, relative] : rows)
            text += std::string(columns) + at(relative) + "\n";
        return text;
    }

    TempDir tmp;
};

TEST_F(AttribOnDisk, ListsEachFileInAttribsColumnsWithItsFullPath)
{
    file("plain.txt");
    file("shy.txt", H);
    file("core.sys", S | H | A);
    file("kept.doc", A);
    file("locked.txt");
    ASSERT_EQ(::chmod(at("locked.txt").c_str(), 0444), 0); // read-only as Wine shows it
    file("Notes.TXT", A);
    // Long shared starts, case and bytes above ASCII decide past the eighth byte.
    file("report-2024-draft.txt");
    file("Report-2024-Final.txt");
    file("report-2024-\xC3\xA9t\xC3\xA9.txt");
    file("report-2024-Draft.txt");
    makeDir(at("folder"));

    const AttribResult r = attribHere({at("*")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, lines({{"A  SH      ", "core.sys"},
                            {"A          ", "kept.doc"},
                            {"     R     ", "locked.txt"},
                            {"A          ", "Notes.TXT"},
                            {"           ", "plain.txt"},
                            {"           ", "report-2024-Draft.txt"},
                            {"           ", "report-2024-draft.txt"},
                            {"           ", "Report-2024-Final.txt"},
                            {"           ", "report-2024-\xC3\xA9t\xC3\xA9.txt"},
                            {"    H      ", "shy.txt"}}));
}

TEST_F(AttribOnDisk, WithoutAPathListsTheCurrentFolder)
{
    file("one", R | A);
    char previous[4096];
    ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(::chdir(tmp.path().c_str()), 0);
    const AttribResult r = attribHere({});
    const AttribResult relative = attribHere({"./one"});
    ASSERT_EQ(::chdir(previous), 0);
    EXPECT_EQ(r.out, lines({{"A    R     ", "one"}}));
    EXPECT_EQ(relative.out, r.out);
}

// attrib refuses to touch a hidden or system entry with a command that does
// not name that attribute.
TEST_F(AttribOnDisk, HiddenAndSystemFilesAreRefusedUnlessTheCommandNamesThem)
{
    struct Case {
        uint32_t before;
        std::vector<std::string> changes;
        const char* refusal; // nullptr: done
        uint32_t after;
    };
    const Case cases[] = {
        {H, {"+R"}, "Not resetting hidden file", H},
        {H, {"-a"}, "Not resetting hidden file", H},
        {S, {"+A"}, "Not resetting system file", S},
        {S, {"+H"}, "Not resetting system file", S},
        {S | H, {"+R", "-H"}, "Not resetting system file", S | H},
        {S | H, {"-S"}, "Not resetting hidden file", S | H},
        {S | H, {"-S", "-H"}, nullptr, 0},
        {H, {"-H", "+R"}, nullptr, R},
        {S | A, {"-S", "+h"}, nullptr, H | A},
        {0, {"+H", "+S", "+A", "+R"}, nullptr, H | S | A | R},
        {A | R, {"-A", "-R"}, nullptr, 0},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string name = "f" + std::to_string(n++);
        file(name, c.before);
        std::vector<std::string> arguments = c.changes;
        arguments.push_back(at(name));
        const AttribResult r = attribHere(arguments);
        SCOPED_TRACE(name + " " + testing::PrintToString(c.changes));
        EXPECT_EQ(r.out, "");
        if (c.refusal) {
            EXPECT_EQ(r.status, 1);
            EXPECT_EQ(r.err, std::string(c.refusal) + " - " + at(name) + "\n");
        } else {
            EXPECT_EQ(r.status, 0);
            EXPECT_EQ(r.err, "");
        }
        EXPECT_EQ(word(name), c.after);
    }
}

TEST_F(AttribOnDisk, RecursionTakesFilesFolderByFolderAndFoldersOnlyWithD)
{
    makeTree(tmp.path(), {"b.doc", "a.txt", "sub/", "sub/c.TXT", "sub/deep/", "sub/deep/d.txt",
                          "loop -> sub", "note -> a.txt"});
    ASSERT_EQ(platform::storeAttributes(at("sub"), H), 0);
    const auto list = [&](std::vector<std::string> arguments) {
        const AttribResult r = attribHere(arguments);
        EXPECT_EQ(r.err, "");
        return r.out;
    };
    const char* none = "           ";
    const char* hid = "    H      ";

    EXPECT_EQ(list({"/S", at("*.txt")}),
              lines({{none, "a.txt"}, {none, "sub/c.TXT"}, {none, "sub/deep/d.txt"}}));
    EXPECT_EQ(list({at("*"), "-s", "-D"}), lines({{none, "a.txt"},
                                                  {none, "b.doc"},
                                                  {hid, "sub"},
                                                  {none, "sub/c.TXT"},
                                                  {none, "sub/deep"},
                                                  {none, "sub/deep/d.txt"}}));
    EXPECT_EQ(list({at("?.txt")}), lines({{none, "a.txt"}}));
    EXPECT_EQ(list({at("*"), "/d"}), lines({{none, "a.txt"}, {none, "b.doc"}, {hid, "sub"}}));
    // A folder named with /S is walked whole; without it, it is the entry.
    EXPECT_EQ(list({"/S", at("sub")}), lines({{none, "sub/c.TXT"}, {none, "sub/deep/d.txt"}}));
    EXPECT_EQ(list({at("sub")}), lines({{hid, "sub"}}));
    EXPECT_EQ(list({"/S", at("d.txt")}), lines({{none, "sub/deep/d.txt"}}));

    // Changes follow the same selection; the hidden folder is refused.
    const AttribResult r = attribHere({"+A", "/S", "/D", at("*")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Not resetting hidden file - " + at("sub") + "\n");
    EXPECT_EQ(word("a.txt"), A);
    EXPECT_EQ(word("sub/deep"), A | Attr::Directory);
    EXPECT_EQ(word("sub/deep/d.txt"), A);
    EXPECT_EQ(word("sub"), H | Attr::Directory);
}

TEST_F(AttribOnDisk, WhatMatchesNothingIsNamedAndFails)
{
    file("a.txt");
    const struct {
        std::vector<std::string> arguments;
        std::string err;
    } cases[] = {
        {{at("*.doc")}, "File not found - " + at("*.doc") + "\n"},
        {{at("b.txt")}, "File not found - " + at("b.txt") + "\n"},
        {{"+H", at("missing/x")}, "Path not found - " + at("missing/x") + "\n"},
        {{at("a.txt"), at("z*")}, "File not found - " + at("z*") + "\n"},
    };
    for (const auto& c : cases) {
        const AttribResult r = attribHere(c.arguments);
        EXPECT_EQ(r.status, 1) << c.err;
        EXPECT_EQ(r.err, c.err);
    }
    EXPECT_EQ(word("a.txt"), 0u);
}

TEST(AttribArguments, BadCommandLinesAreUsageErrors)
{
    const std::vector<std::vector<std::string>> cases = {
        {"+Q"},
        {"--bogus"},
        {"+H", "-H", "x"},
        {"--unhide"},
        {"-x"},
        {"--since", "@5"},
        {"--unhide", "+H", "/tmp"},
        {"--undo", "a", "b"},
        {"--list-all"},
        {"--undo", "--since", "yesterday"},
        {"--unhide", "--undo", "/"},
    };
    for (const auto& arguments : cases) {
        const AttribResult r = attribHere(arguments);
        EXPECT_EQ(r.status, 2) << testing::PrintToString(arguments);
        EXPECT_NE(r.err.find("Try 'umbrix-attrib --help'"), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
}

TEST(AttribArguments, SmallSIsRecursionAndCapitalSClearsSystem)
{
    const auto parsed = [](std::vector<std::string> argv) {
        argv.insert(argv.begin(), "umbrix-attrib");
        return cli::parseArguments(argv).arguments;
    };
    const cli::AttribArguments a = parsed({"-s", "-d", "x"});
    EXPECT_TRUE(a.recurse && a.directories);
    EXPECT_EQ(a.clear, 0u);
    const cli::AttribArguments b = parsed({"-S", "+r", "/s", "--", "-H"});
    EXPECT_EQ(b.clear, S);
    EXPECT_EQ(b.set, R);
    EXPECT_TRUE(b.recurse);
    EXPECT_EQ(b.paths, std::vector<std::string>{"-H"});
}

TEST(AttribArguments, TimesForSince)
{
    EXPECT_EQ(cli::parseTime("@1700000000"), 1700000000LL * 1000000);
    EXPECT_EQ(cli::parseTime("2023-11-14T22:13:20Z"), 1700000000LL * 1000000);
    EXPECT_EQ(cli::parseTime("2023-11-14 22:13Z"), (1700000000LL - 20) * 1000000);
    EXPECT_EQ(cli::parseTime("2023-11-14Z"), (1700000000LL - 80000) * 1000000);
    EXPECT_TRUE(cli::parseTime("2023-11-14 22:13:20").has_value());
    EXPECT_EQ(cli::parseTime("@-9223372036854"), -9223372036854LL * 1000000);
    for (const char* bad : {"2023-13-01", "2023-11-14 25:00", "yesterday", "@", "2023-11-14x",
                            "@9223372036855", "@-9223372036855", "@9223372036854775807"})
        EXPECT_FALSE(cli::parseTime(bad).has_value()) << bad;
}

} // namespace
} // namespace umbrix::test
