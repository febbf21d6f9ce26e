#include "log/LogError.h"

#include "settings/StoreSandbox.h"

#include <gtest/gtest.h>
#include <regex>
#include <unistd.h>

namespace umbrix {
namespace {

using test::readWholeFile;
using test::StoreSandbox;

TEST(LogErrorTest, FileIsTheUpperCasedProgramNameInTheLogFolder) {
    StoreSandbox box;
    // This program is log_tests.
    EXPECT_EQ(box.logFile(), box.dir() / "log/LOG_TESTS.log");
}

TEST(LogErrorTest, WritesOneCompleteLinePerCall) {
    StoreSandbox box;
    LogError("Call SaveRegValue", "first", 2, "");
    LogError("Other", "second", 0, "why");
    const std::string text = readWholeFile(box.logFile());
    static const std::regex lines(
        "Umbrix\t\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d\t\\(Call SaveRegValue\\)\t\\[ "
        "first; Err=2 \\]\r\n"
        "Umbrix\t\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d\twhy; \\(Other\\)\t\\[ second \\]\r\n");
    EXPECT_TRUE(std::regex_match(text, lines)) << text;
}

TEST(LogErrorTest, AppendsToAFileFromAnEarlierRun) {
    StoreSandbox box;
    test::makeDir(box.dir() / "log");
    test::makeFile(box.logFile(), "earlier run\r\n");
    LogError("P", "one", 0, "");
    LogError("P", "two", 0, "");
    const std::string text = readWholeFile(box.logFile());
    EXPECT_EQ(text.rfind("earlier run\r\n", 0), 0u) << text;
    EXPECT_NE(text.find("[ one ]\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[ two ]\r\n"), std::string::npos) << text;
    EXPECT_LT(text.find("[ one ]"), text.find("[ two ]"));
}

TEST(LogErrorTest, MakesOnlyTheLastFolderLevelAndLeavesTheCurrentDirectory) {
    test::TempDir dir;
    StoreSandbox box;
    char before[4096];
    ASSERT_NE(::getcwd(before, sizeof before), nullptr);
    {
        ScopedLogFolder deep(dir / "a/b");
        LogError("P", "lost", 0, "");
        EXPECT_FALSE(test::exists(dir / "a"));
    }
    {
        ScopedLogFolder shallow(dir / "a");
        LogError("P", "kept", 0, "");
        EXPECT_NE(readWholeFile(dir / "a/LOG_TESTS.log").find("[ kept ]"), std::string::npos);
    }
    char after[4096];
    ASSERT_NE(::getcwd(after, sizeof after), nullptr);
    EXPECT_STREQ(before, after);
}

TEST(LogErrorTest, FailuresAreSilent) {
    test::TempDir dir;
    StoreSandbox box;
    test::makeFile(dir / "file");
    {
        ScopedLogFolder underAFile(dir / "file");
        LogError("P", "m", 1, "");
    }
    EXPECT_EQ(readWholeFile(dir / "file"), "");
}

} // namespace
} // namespace umbrix
