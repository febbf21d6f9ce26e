#include "app/CommandLine.h"

#include <gtest/gtest.h>
#include <limits>

namespace umbrix {
namespace {

constexpr float LongestPause = std::numeric_limits<float>::max();

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
