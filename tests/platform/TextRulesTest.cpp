// The small text rules of the platform layer, one table each.

#include "platform/CBoolean.h"
#include "platform/EnvironmentText.h"
#include "platform/LogLine.h"
#include "platform/MountTable.h"
#include "platform/NumberPrefix.h"
#include "platform/PathChain.h"
#include "platform/PathText.h"
#include "platform/Wildcard.h"

#include <climits>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <limits>
#include <string>

namespace umbrix {
namespace {

TEST(PathText, ValidUtf8IsShownAsItIsAndAnythingElseAsVisibleEscapes)
{
    const std::pair<const char*, const char*> cases[] = {
        {"caf\xC3\xA9 r\xC3\xA9sum\xC3\xA9.txt", "caf\xC3\xA9 r\xC3\xA9sum\xC3\xA9.txt"},
        {" leading and trailing ", " leading and trailing "},
        {"caf\xE9.txt", "caf\\xE9.txt"},
        {"line\nbreak", "line\\x0Abreak"},
        // Overlong encoding of "/", a lone surrogate, a sequence cut short.
        {"\xC0\xAF", "\\xC0\\xAF"},
        {"\xED\xA0\x80", "\\xED\\xA0\\x80"},
        {"a\xE2\x82", "a\\xE2\\x82"}};
    for (const auto& [raw, shown] : cases)
        EXPECT_EQ(displayText(raw), shown);
    EXPECT_TRUE(displaysVerbatim("\xF0\x9F\x98\x80"));
    EXPECT_FALSE(displaysVerbatim("tab\there"));
}

// Names are checked a word at a time; a byte that is not printable ASCII
// must be seen wherever it falls, in a word or in the tail after the last.
TEST(PathText, EveryBytePositionIsChecked)
{
    for (size_t at = 0; at < 17; ++at) {
        for (int b = 1; b < 256; ++b) {
            std::string name(17, 'a');
            name[at] = static_cast<char>(b);
            const bool printable = b >= 0x20 && b < 0x7F;
            ASSERT_EQ(displaysVerbatim(name), printable) << "byte " << b << " at " << at;
        }
    }
}

TEST(PathChain, SplitGivesTheFolderToOpenAndTheNameInIt)
{
    const struct {
        const char* path;
        const char* folder;
        const char* name;
    } cases[] = {{"/a/b/c", "/a/b", "c"}, {"/a", "/", "a"}, {"a/\xff", "a", "\xff"},
                 {"name", ".", "name"},   {"/", "/", ""},   {"//a", "/", "a"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const FolderAndName split = splitPath(c.path);
        EXPECT_EQ(split.folder, c.folder);
        EXPECT_EQ(split.name, c.name);
    }
}

TEST(Wildcard, StarQuestionMarkDotsAndCase)
{
    // clang-format off
    const struct {
        const char* pattern;
        const char* name;
        bool matches;
    } cases[] = {
        {"*.*", "README", true}, {"*.*", ".hidden", true}, {"*.TXT", "notes.txt", true},
        {"*.txt", "notes.txt.bak", false}, {"a?c", "abc", true}, {"a?c", "ac", false},
        {"a?c", "abbc", false}, {"*b*b*", "abxxbyy", true}, {"*b*b*", "abxx", false},
        {"report", "REPORT", true}, {"report", "report2", false},
        // "?" takes one character, not one byte; a byte that is not UTF-8 is
        // a character of its own.
        {"caf?", "caf\xC3\xA9", true}, {"caf?", "caf\xE9", true},
        {"*\xC3\xA9", "caf\xC3\xA9", true}};
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(wildcardMatch(c.pattern, c.name), c.matches) << c.pattern << " / " << c.name;
}

constexpr double Infinity = std::numeric_limits<double>::infinity();

TEST(NumberPrefix, ReadsTheNumberAtTheStartAndNothingElse)
{
    // clang-format off
    const struct {
        const char* text;
        double number;
    } cases[] = {
        {"2", 2}, {"0.25", 0.25}, {"-1.5", -1.5}, {"+3", 3}, {".5", 0.5}, {"5.", 5},
        {"1e1", 10}, {"2.5E-1", 0.25}, {"1e+2", 100},
        // Leading blanks only, and reading stops where the number cannot go on.
        {"  \t 7", 7}, {" -\t7", 0}, {"1 2", 1}, {"2abc", 2}, {"1e", 1}, {"1e+", 1},
        {"3.5.1", 3.5}, {"4 /other:1", 4}, {"12,5", 12},
        // No number; nor are the words a general float parser would take.
        {"", 0}, {"abc", 0}, {"-", 0}, {".", 0}, {"+-5", 0}, {"e5", 0}, {"inf", 0}, {"nan", 0},
        {"0x10", 0},
        // Out of range saturates.
        {"1e999", Infinity}, {"-1e999", -Infinity}, {"0.0001e400", Infinity}, {"1e-999", 0},
        {"1000e-1000", 0}};
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(readNumberPrefix(c.text), c.number) << '"' << c.text << '"';
}

TEST(LogLineTest, EachCombinationOfDetailAndCode)
{
    // 6 March 2024, 21:05:07: day before month, two digits each, 24-hour clock.
    std::tm t{};
    ASSERT_NE(::strptime("2024-03-06 21:05:07", "%Y-%m-%d %H:%M:%S", &t), nullptr);
    const struct {
        std::string detail;
        int32_t code;
        std::string tail;
    } cases[] = {{"", 0, "(P)\t[ msg ]\r\n"},
                 {"", 5, "(P)\t[ msg; Err=5 ]\r\n"},
                 {"why", 0, "why; (P)\t[ msg ]\r\n"},
                 {"why", 13, "why; (P)\t[ msg; Err=13 ]\r\n"},
                 {"", -1, "(P)\t[ msg; Err=-1 ]\r\n"},
                 {"why", INT32_MIN, "why; (P)\t[ msg; Err=-2147483648 ]\r\n"},
                 {"", INT32_MAX, "(P)\t[ msg; Err=2147483647 ]\r\n"}};
    for (const auto& c : cases)
        EXPECT_EQ(formatLogLine("Umbrix", t, "P", "msg", c.code, c.detail),
                  "Umbrix\t06/03/2024 21:05:07\t" + c.tail);
    // Texts go in as they are, brackets and bytes alike.
    EXPECT_EQ(formatLogLine("", t, "(p)", "''a\\b'' caf\xC3\xA9", 0, "d;"),
              "\t06/03/2024 21:05:07\td;; ((p))\t[ ''a\\b'' caf\xC3\xA9 ]\r\n");
}

TEST(CBooleanTest, WordsInAnyCaseElseTheLeadingNumber)
{
    // clang-format off
    const std::pair<std::string, bool> cases[] = {
        // The words for yes and no, English and Italian, in any case.
        {"TRUE", true}, {"Yes", true}, {"On", true}, {"Enabled", true}, {"VERO", true},
        {"S\xC3\x8C", true}, {"s\xC3\xAC", true}, {"si", true},
        {"No", false}, {"OFF", false}, {"Falso", false}, {"DISABLED", false}, {"false", false},
        // Not trimmed, and a word inside a longer text is no word.
        {" true", false}, {"yes ", false}, {"yesterday", false},
        // Anything else is True when it starts with a number other than 0.
        {"2", true}, {"-1", true}, {"3abc", true}, {"0.5", true}, {"  7", true}, {"+4 apples", true},
        {"", false}, {"abc", false}, {"0.0", false}, {"-0", false}, {"00", false}, {"e5", false},
        // Bytes that are not UTF-8 match no word; a number before them still counts.
        {"s\xCC", false}, {"9\xFF", true}, {std::string("on\0", 3), false}};
    // clang-format on
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(CBoolean(text), expected) << '"' << text << '"';
}

TEST(EnvironmentTextTest, ExpandsSetVariablesAndKeepsEverythingElse)
{
    ::setenv("UMBRIX_TEST_DATA", "/srv/data", 1);
    ::unsetenv("UMBRIX_TEST_UNSET");
    EXPECT_EQ(expandEnvironmentText("%UMBRIX_TEST_DATA%/x"), "/srv/data/x");
    EXPECT_EQ(expandEnvironmentText("${UMBRIX_TEST_DATA}x"), "/srv/datax");
    EXPECT_EQ(expandEnvironmentText("a:%UMBRIX_TEST_DATA%:$UMBRIX_TEST_DATA/"),
              "a:/srv/data:/srv/data/");
    // Nothing is dropped: an unset variable or a stray sign stays as written.
    for (const char* text : {"%UMBRIX_TEST_UNSET%", "$UMBRIX_TEST_UNSET/x", "${UMBRIX_TEST_UNSET}",
                             "100%", "%%", "$", "a$1", "${", "${}", "%UMBRIX_TEST_DATA"})
        EXPECT_EQ(expandEnvironmentText(text), text);
    ::unsetenv("UMBRIX_TEST_DATA");
}

std::string line(const std::string& mountPoint, const std::string& type,
                 const std::string& optional = "shared:1")
{
    return "30 1 8:1 / " + mountPoint + " rw,relatime " + optional + " - " + type + " /dev/x rw\n";
}

TEST(MountTable, KeepsWhatAPersonBrowses)
{
    // clang-format off
    const std::pair<std::string, std::string> mounts[] = {
        {"/", "ext4"}, {"/proc", "proc"}, {"/sys", "sysfs"}, {"/sys/fs/cgroup", "cgroup2"},
        {"/dev", "devtmpfs"}, {"/dev/shm", "tmpfs"}, {"/run", "tmpfs"}, {"/run/user/1000", "tmpfs"},
        {"/run/media/me/STICK", "vfat"}, {"/tmp", "tmpfs"}, {"/snap/core/1", "squashfs"},
        {"/proc/sys/fs/binfmt_misc", "binfmt_misc"}, {"/home", "btrfs"}};
    // clang-format on
    // Any number of optional fields, an escaped blank, a line of no use.
    std::string table = line("/media/usb\\040stick", "vfat", "") +
                        line("/home", "xfs", "master:3 shared:4") + "garbage line\n";
    for (const auto& [mountPoint, type] : mounts)
        table += line(mountPoint, type);
    std::vector<std::string> kept;
    for (const Volume& v : parseMountInfo(table))
        kept.push_back(v.mountPoint + " " + v.fsType);
    // Mounted over, only the visible filesystem counts.
    EXPECT_EQ(kept, (std::vector<std::string>{"/ ext4", "/home btrfs", "/media/usb stick vfat",
                                              "/run/media/me/STICK vfat", "/tmp tmpfs"}));
    // Without "/" in the table the root is still offered.
    EXPECT_EQ(parseMountInfo(line("/data", "ext4")).front().mountPoint, "/");
}

} // namespace
} // namespace umbrix
