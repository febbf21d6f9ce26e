#include "app/CommandLine.h"
#include "app/NumberPrefix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace umbrix {
namespace {

TEST(NumberPrefix, ReadsPlainAndSignedNumbers)
{
    EXPECT_DOUBLE_EQ(readNumberPrefix("2"), 2.0);
    EXPECT_DOUBLE_EQ(readNumberPrefix("0.25"), 0.25);
    EXPECT_DOUBLE_EQ(readNumberPrefix("-1.5"), -1.5);
    EXPECT_DOUBLE_EQ(readNumberPrefix("+3"), 3.0);
    EXPECT_DOUBLE_EQ(readNumberPrefix(".5"), 0.5);
    EXPECT_DOUBLE_EQ(readNumberPrefix("5."), 5.0);
    EXPECT_DOUBLE_EQ(readNumberPrefix("1e1"), 10.0);
    EXPECT_DOUBLE_EQ(readNumberPrefix("2.5E-1"), 0.25);
    EXPECT_DOUBLE_EQ(readNumberPrefix("1e+2"), 100.0);
}

TEST(NumberPrefix, SkipsLeadingBlanksOnly)
{
    EXPECT_DOUBLE_EQ(readNumberPrefix("  \t 7"), 7.0);
    EXPECT_DOUBLE_EQ(readNumberPrefix(" -\t7"), 0.0);
    EXPECT_DOUBLE_EQ(readNumberPrefix("1 2"), 1.0);
}

TEST(NumberPrefix, StopsAtTheFirstCharacterThatCannotContinue)
{
    EXPECT_DOUBLE_EQ(readNumberPrefix("2abc"), 2.0);
    EXPECT_DOUBLE_EQ(readNumberPrefix("1e"), 1.0);
    EXPECT_DOUBLE_EQ(readNumberPrefix("1e+"), 1.0);
    EXPECT_DOUBLE_EQ(readNumberPrefix("3.5.1"), 3.5);
    EXPECT_DOUBLE_EQ(readNumberPrefix("4 /other:1"), 4.0);
    EXPECT_DOUBLE_EQ(readNumberPrefix("12,5"), 12.0);
}

TEST(NumberPrefix, NoNumberGivesZero)
{
    EXPECT_EQ(readNumberPrefix(""), 0.0);
    EXPECT_EQ(readNumberPrefix("abc"), 0.0);
    EXPECT_EQ(readNumberPrefix("-"), 0.0);
    EXPECT_EQ(readNumberPrefix("."), 0.0);
    EXPECT_EQ(readNumberPrefix("+-5"), 0.0);
    EXPECT_EQ(readNumberPrefix("e5"), 0.0);
    // Words a general float parser would accept are not numbers here.
    EXPECT_EQ(readNumberPrefix("inf"), 0.0);
    EXPECT_EQ(readNumberPrefix("nan"), 0.0);
    EXPECT_EQ(readNumberPrefix("0x10"), 0.0);
}

TEST(NumberPrefix, OutOfRangeSaturates)
{
    EXPECT_EQ(readNumberPrefix("1e999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(readNumberPrefix("-1e999"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(readNumberPrefix("0.0001e400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(readNumberPrefix("1e-999"), 0.0);
    EXPECT_EQ(readNumberPrefix("1000e-1000"), 0.0);
}

TEST(CommandLine, ReadsTheTimeoutSwitch)
{
    EXPECT_FLOAT_EQ(ScanPauseFromCommandLine("/timeout:2"), 2.0f);
    EXPECT_FLOAT_EQ(ScanPauseFromCommandLine("/timeout:0.25"), 0.25f);
    EXPECT_FLOAT_EQ(ScanPauseFromCommandLine("/timeout:   1.5"), 1.5f);
    EXPECT_FLOAT_EQ(ScanPauseFromCommandLine("/timeout:1e1"), 10.0f);
    EXPECT_FLOAT_EQ(ScanPauseFromCommandLine("/timeout:2abc"), 2.0f);
    EXPECT_FLOAT_EQ(ScanPauseFromCommandLine("-x /other /timeout:3 more"), 3.0f);
    EXPECT_FLOAT_EQ(ScanPauseFromCommandLine("a/timeout:4"), 4.0f);
}

TEST(CommandLine, NoSwitchOrNoNumberMeansNoPause)
{
    EXPECT_EQ(ScanPauseFromCommandLine(""), 0.0f);
    EXPECT_EQ(ScanPauseFromCommandLine("/timeout:abc"), 0.0f);
    EXPECT_EQ(ScanPauseFromCommandLine("/timeout:"), 0.0f);
    EXPECT_EQ(ScanPauseFromCommandLine("/TIMEOUT:2"), 0.0f);
    EXPECT_EQ(ScanPauseFromCommandLine("/Timeout:2"), 0.0f);
    EXPECT_EQ(ScanPauseFromCommandLine("/timeout 2"), 0.0f);
    EXPECT_EQ(ScanPauseFromCommandLine("timeout:2"), 0.0f);
}

TEST(CommandLine, OnlyTheFirstSwitchCounts)
{
    EXPECT_FLOAT_EQ(ScanPauseFromCommandLine("/timeout:x /timeout:5"), 0.0f);
    EXPECT_FLOAT_EQ(ScanPauseFromCommandLine("/timeout:1 /timeout:5"), 1.0f);
}

TEST(CommandLine, HugePauseStaysAFiniteFloat)
{
    const float pause = ScanPauseFromCommandLine("/timeout:1e300");
    EXPECT_TRUE(std::isfinite(pause));
    EXPECT_EQ(pause, std::numeric_limits<float>::max());
    EXPECT_EQ(ScanPauseFromCommandLine("/timeout:-1e300"), -std::numeric_limits<float>::max());
}

TEST(CommandLine, JoinsArgumentsWithSpaces)
{
    const char* argv[] = {"umbrix", "/x", "/timeout:", "2"};
    EXPECT_EQ(commandLineFromArguments(4, argv), "/x /timeout: 2");
    EXPECT_FLOAT_EQ(ScanPauseFromCommandLine(commandLineFromArguments(4, argv)), 2.0f);
    EXPECT_EQ(commandLineFromArguments(1, argv), "");
}

} // namespace
} // namespace umbrix
