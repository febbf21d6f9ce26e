#include "platform/NumberPrefix.h"

#include "app/CommandLine.h"

#include <gtest/gtest.h>
#include <limits>

namespace umbrix {
namespace {

constexpr double Infinity = std::numeric_limits<double>::infinity();
constexpr float LongestPause = std::numeric_limits<float>::max();

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

TEST(CommandLine, TheFirstTimeoutSwitchGivesThePause)
{
    // clang-format off
    const struct {
        const char* line;
        float pause;
    } cases[] = {
        {"/timeout:2", 2}, {"/timeout:0.25", 0.25f}, {"/timeout:   1.5", 1.5f},
        {"/timeout:1e1", 10}, {"/timeout:2abc", 2}, {"-x /other /timeout:3 more", 3},
        {"a/timeout:4", 4}, {"/timeout:1 /timeout:5", 1}, {"/timeout:x /timeout:5", 0},
        // No switch, another spelling or no number: no pause.
        {"", 0}, {"/timeout:abc", 0}, {"/timeout:", 0}, {"/TIMEOUT:2", 0},
        {"/timeout 2", 0}, {"timeout:2", 0},
        // Beyond a float, the longest pause a float holds.
        {"/timeout:1e300", LongestPause}, {"/timeout:-1e300", -LongestPause},
        {"/timeout:1e999", LongestPause}};
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(ScanPauseFromCommandLine(c.line), c.pause) << '"' << c.line << '"';

    const char* argv[] = {"umbrix", "/x", "/timeout:", "2"};
    EXPECT_EQ(commandLineFromArguments(4, argv), "/x /timeout: 2");
    EXPECT_EQ(commandLineFromArguments(1, argv), "");
}

} // namespace
} // namespace umbrix
