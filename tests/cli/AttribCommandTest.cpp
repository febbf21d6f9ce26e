// The classic commands on a stick a virus went over, judged on the disk and
// byte for byte on both streams.

#include "cli/AttribArguments.h"
#include "cli/AttribRun.h"
#include "cli/ProgressLine.h"
#include "platform/AttributeStore.h"
#include "support/NtfsVolume.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <gtest/gtest.h>
#include <optional>
#include <unistd.h>

namespace umbrix::test {
namespace {

namespace Attr = platform::Attr;

// The stick's entries in the order attrib /S /D lists them, and their words.
const char* const kEntries[] = {"autorun.inf", "Docs",   "notes.txt",       "Photos",
                                "zz.dat",      "_u.txt", "Docs/report.doc", "Photos/img1.jpg"};
constexpr const char* kInfected = "SH SH H SH A H R H";
constexpr std::pair<uint32_t, char> kLetters[] = {
    {Attr::Archive, 'A'}, {Attr::System, 'S'}, {Attr::Hidden, 'H'}, {Attr::ReadOnly, 'R'}};

std::string letters(uint32_t word)
{
    std::string s;
    for (const auto& [bit, letter] : kLetters)
        s += (word & bit) ? std::string(1, letter) : "";
    return s.empty() ? "-" : s;
}

std::string replaced(std::string text, const std::string& root)
{
    for (size_t at = 0; (at = text.find('@', at)) != std::string::npos; at += root.size())
        text.replace(at, 1, root);
    return text;
}

// A command run in a fresh stick ("@" names it): its exit status and the
// letters of kEntries afterwards, then its lines, standard error's after "! ".
// --unhide meets the entries in the folders' own order, so its lines before
// the summary are compared as a set.
struct Classic {
    std::vector<std::string> arguments;
    const char* statusAndDisk;
    std::vector<std::string> lines;
};

const Classic kClassics[] = {
    {{"/S", "/D", "@"},
     "0 SH SH H SH A H R H",
     {"   SH      @/autorun.inf", "   SH      @/Docs", "    H      @/notes.txt",
      "   SH      @/Photos", "A          @/zz.dat", "    H      @/_u.txt",
      "     R     @/Docs/report.doc", "    H      @/Photos/img1.jpg"}},
    {{"-h", "-R", "-s", "/s", "/D", "*.*"}, "0 - - - - A - - -", {}},
    {{"-H", "/S", "@/*.jpg", "@/_*"}, "0 SH SH H SH A - R -", {}},
    {{"*"}, // files only without /D
     "0 SH SH H SH A H R H",
     {"   SH      @/autorun.inf", "    H      @/notes.txt", "A          @/zz.dat",
      "    H      @/_u.txt"}},
    {{"/l", "@/l*"}, "0 SH SH H SH A H R H", {"           @/link"}},
    {{"+R", "@/notes.txt", "@/zz.dat"},
     "1 SH SH H SH AR H R H",
     {"! Not resetting hidden file - @/notes.txt"}},
    {{"-a", "-h", "/s", "@/*.inf"},
     "1 SH SH H SH A H R H",
     {"! Not resetting system file - @/autorun.inf"}},
    {{"@/missing.txt", "@/nope/x", "@/zz.dat"},
     "1 SH SH H SH A H R H",
     {"! File not found - @/missing.txt", "! Path not found - @/nope/x", "A          @/zz.dat"}},
    {{"--unhide", "@"},
     "0 SH SH - SH A - R -",
     {"unhidden  @/Photos/img1.jpg", "          @/Photos", "          @/Docs",
      "          @/autorun.inf", "unhidden  @/notes.txt", "unhidden  @/_u.txt",
      "9 entries examined, 6 hidden or system entries found, 3 unhidden."}},
    {{"--unhide", "--list-all", "@"},
     "0 SH SH - SH A - R -",
     {"unhidden  @/Photos/img1.jpg", "          @/Photos", "          @/Docs/report.doc",
      "          @/Docs", "          @/autorun.inf", "unhidden  @/notes.txt", "unhidden  @/_u.txt",
      "          @/zz.dat", "9 entries examined, 6 hidden or system entries found, 3 unhidden."}},
    {{"--unhide", "@/none"},
     "1 SH SH H SH A H R H",
     {"! Path not found - @/none",
      "0 entries examined, 0 hidden or system entries found, 0 unhidden."}},
};

// What attrib cannot read is refused before anything is touched.
const std::pair<std::vector<std::string>, const char*> kUsageErrors[] = {
    {{"+Q", "@"}, "Parameter format not correct - +Q"},
    {{"-d", "@"}, "Parameter format not correct - -d"},
    {{"-0", "--json", "@"}, "-0 and --json exclude each other"},
    {{"+H", "-h", "@"}, "Parameter format not correct - an attribute is both set and cleared"},
    {{"--unhide", "/s", "@"}, "--unhide takes no attribute changes, /S, /D or /L"},
    {{"--unhide"}, "--unhide needs exactly one FOLDER"},
    {{"--undo", "--since", "then"},
     "Not a time for --since - then (YYYY-MM-DD[ HH:MM[:SS]][Z] or @SECONDS)"},
    {{"--bogus"}, "Invalid switch - --bogus"},
};

TEST(AttribCommand, ClassicCommandsOnAnInfectedStick)
{
    TempDir tmp;
    std::string stick;
    const auto disk = [&] {
        std::string s;
        for (const char* entry : kEntries)
            s += (s.empty() ? "" : " ") + letters(storedWord(stick + "/" + entry));
        return s;
    };
    const auto run = [&](const std::vector<std::string>& arguments) {
        std::vector<std::string> given;
        for (const std::string& a : arguments)
            given.push_back(replaced(a, stick));
        return attribHere(given);
    };
    int n = 0;
    for (const Classic& c : kClassics) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        stick = tmp / ("stick" + std::to_string(n++));
        makeDir(stick);
        makeTree(stick, {"Docs/", "Photos/", "autorun.inf", "notes.txt", "zz.dat", "_u.txt",
                         "Docs/report.doc", "Photos/img1.jpg", "link -> notes.txt"});
        const std::vector<std::string> words = piecesOf(kInfected, ' ');
        for (size_t i = 0; i < std::size(kEntries); ++i) {
            uint32_t word = 0;
            for (const auto& [bit, letter] : kLetters)
                word |= words[i].find(letter) != std::string::npos ? bit : 0;
            ASSERT_EQ(platform::storeAttributes(stick + "/" + kEntries[i], word), 0);
        }
        // The commands run in the stick, as a person runs them there.
        char previous[4096];
        ASSERT_TRUE(::getcwd(previous, sizeof previous) && ::chdir(stick.c_str()) == 0);
        const AttribResult r = run(c.arguments);
        ASSERT_EQ(::chdir(previous), 0);
        std::vector<std::string> out, got = piecesOf(r.out);
        std::string err;
        for (const std::string& line : c.lines)
            line.starts_with("! ") ? void(err += replaced(line.substr(2), stick) + "\n")
                                   : out.push_back(replaced(line, stick));
        if (c.arguments[0] == "--unhide" && !got.empty() && got.size() == out.size()) {
            std::sort(got.begin(), got.end() - 1);
            std::sort(out.begin(), out.end() - 1);
        }
        EXPECT_EQ(got, out);
        EXPECT_TRUE(r.out.ends_with('\n') || r.out.empty()) << r.out;
        EXPECT_EQ(r.err, err);
        EXPECT_EQ(std::to_string(r.status) + " " + disk(), c.statusAndDisk);
    }
    for (const auto& [arguments, message] : kUsageErrors) {
        const AttribResult r = run(arguments);
        EXPECT_EQ(r.err,
                  "umbrix-attrib: " + std::string(message) + "\nTry 'umbrix-attrib --help'.\n");
        EXPECT_EQ(r.out + std::to_string(r.status), "2");
    }
    EXPECT_EQ(disk(), kInfected);
    // The program itself: its help, and a partial failure in its status.
    const AttribResult help = attribProgram({"/?"}, tmp.path());
    EXPECT_TRUE(help.out.starts_with("Usage: umbrix-attrib [+R|-R]")) << help.out;
    EXPECT_EQ(help.out, attribProgram({"--help"}, tmp.path()).out);
    EXPECT_EQ(attribProgram({"-H", stick + "/zz.dat", stick + "/no"}, tmp.path()).status, 1);
}

// NTFS keeps a folder's names in the order of their UTF-16 code units
// upper-cased by its $UpCase table; ntfs-3g reads them back in that order,
// and the listing of any other folder follows it.
TEST(AttribCommand, NamesComeAsAnNtfsFolderKeepsThem)
{
    const std::vector<std::string> ntfsOrder = piecesOf(
        "a.txt B.txt Z1 zz.dat z_ [x ^y _u.txt `z {v ~w \xC3\xA9.txt \xC3\x89\x32 \xC3\x9F "
        "\xC4\xB1 \xC3\xBF \xC7\x85 \xCE\xA9 \xF0\x9F\x98\x80 \xEF\xAC\x80 \xEF\xBC\x81",
        ' ');
    TempDir tmp;
    const auto listed = [&](const std::string& folder) {
        const AttribResult r = attribHere({folder + "/*"});
        EXPECT_EQ(r.err, "");
        std::vector<std::string> names;
        for (const std::string& line : piecesOf(r.out))
            names.push_back(line.substr(12 + folder.size()));
        return names;
    };
    makeDir(tmp / "ext4");
    for (auto it = ntfsOrder.rbegin(); it != ntfsOrder.rend(); ++it)
        makeFile(tmp / ("ext4/" + *it));
    makeFile(tmp / "ext4/a\xFF");
    std::vector<std::string> expected = ntfsOrder;
    expected.push_back("a\\xFF"); // not UTF-8: after everything else
    EXPECT_EQ(listed(tmp / "ext4"), expected);

    NtfsVolume volume(tmp.path());
    if (!volume.mounted())
        GTEST_SKIP() << volume.skipReason();
    for (const std::string& name : ntfsOrder)
        makeFile(volume.root() + "/" + name);
    std::vector<std::string> judged;
    DIR* dir = ::opendir(volume.root().c_str());
    ASSERT_NE(dir, nullptr);
    while (const dirent* e = ::readdir(dir))
        if (e->d_name[0] != '.')
            judged.emplace_back(e->d_name);
    ::closedir(dir);
    EXPECT_EQ(judged, ntfsOrder);
    EXPECT_EQ(listed(volume.root()), ntfsOrder);
}

// -0 and --json give scripts the exact bytes of a name that is not text;
// Python's own JSON and base64 decoders are the judges.
TEST(AttribCommand, ScriptsGetTheExactBytesOfANameThatIsNotText)
{
    TempDir tmp;
    makeDir(tmp / "tree");
    makeFile(tmp / "tree/plain", "x");
    const std::string name = tmp / std::string("tree/na\xefve\xff.dat", 15);
    makeFile(name, "x");
    ASSERT_EQ(platform::storeAttributes(name, Attr::Hidden), 0);

    const AttribResult nul = attribProgram({"-0", "--unhide", tmp / "tree"}, tmp.path());
    EXPECT_EQ(nul.out + nul.err, name + std::string(1, '\0'));

    const AttribResult json = attribProgram({"--json", "/S", tmp / "tree/*.dat"}, tmp.path());
    EXPECT_EQ(json.status, 0) << json.err;
    makeFile(tmp / "json.txt", json.out);
    const int status = std::system(("/usr/bin/python3 -c \"import base64, json, sys\n"
                                    "o = json.loads(sys.stdin.readline())\n"
                                    "sys.stdout.buffer.write(b'|'.join([base64.b64decode("
                                    "o['path_base64']), o['path'].encode(), o['store'].encode(), "
                                    "str(o['before']).encode(), str(o['after']).encode()]))\" < " +
                                    tmp / "json.txt" + " > " + tmp / "decoded")
                                       .c_str());
    ASSERT_EQ(status, 0);
    const std::string shown = tmp / "tree/na\\xEFve\\xFF.dat";
    EXPECT_EQ(readTextFile(tmp / "decoded"), name + "|" + shown + "|user.DOSATTRIB|0|0");
    EXPECT_EQ(attribProgram({"/S", tmp / "tree/*.dat"}, tmp.path()).out,
              "           " + shown + "\n");
}

TEST(AttribCommand, TimesForSince)
{
    constexpr int64_t kSecond = 1000000, k2023 = 1700000000;
    const std::pair<const char*, std::optional<int64_t>> cases[] = {
        {"@1700000000", k2023 * kSecond},
        {"2023-11-14T22:13:20Z", k2023 * kSecond},
        {"2023-11-14 22:13Z", (k2023 - 20) * kSecond},
        {"2023-11-14Z", (k2023 - 80000) * kSecond},
        {"@-9223372036854", -9223372036854LL * kSecond},
        {"2023-13-01", {}},
        {"2023-11-14 25:00", {}},
        {"yesterday", {}},
        {"@", {}},
        {"2023-11-14x", {}},
        {"@9223372036855", {}},
        {"@-9223372036855", {}},
    };
    for (const auto& [text, microseconds] : cases)
        EXPECT_EQ(cli::parseTime(text), microseconds) << text;
    // Without a zone, local time: some time, whatever the zone.
    EXPECT_TRUE(cli::parseTime("2023-11-14 22:13:20").has_value());
}

TEST(AttribCommand, ProgressAfterASecondOnATerminalRewrittenInPlaceAndCleared)
{
    char* text = nullptr;
    size_t size = 0;
    std::FILE* err = open_memstream(&text, &size);
    int64_t now = 0;
    {
        cli::ProgressLine line(
            stdout, err, true, [&] { return now; }, 40);
        const auto entries = [&](int from, const char* folder) {
            for (int i = from; i < from + 256; ++i)
                line.update(i, folder);
        };
        entries(1, "/stick/");
        now = 1001;
        entries(257, "/stick/Photos/");
        now = 1050; // too soon to draw again
        entries(513, "/stick/");
        now = 1200;
        entries(769, "/stick/a folder with a long name/\xC3\xA9t\xC3\xA9/");
    }
    std::fclose(err);
    EXPECT_EQ(std::string(text, size),
              "\r\033[K512 entries examined - /stick/Photos/"
              "\r\033[K1024 entries examined - ...ng name/\xC3\xA9t\xC3\xA9/"
              "\r\033[K");
    std::free(text);
}

} // namespace
} // namespace umbrix::test
