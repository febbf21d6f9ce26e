#include "log/LogError.h"

#include "settings/StoreSandbox.h"

#include <gtest/gtest.h>
#include <regex>

namespace umbrix {
namespace {

using test::readWholeFile;

TEST(LogErrorTest, AppendsOneLinePerCallAcrossRuns) {
    test::StoreSandbox box;
    // This program is log_tests; the folder is made with the first line.
    EXPECT_EQ(box.logFile(), box.dir() / "log/LOG_TESTS.log");
    LogError("Call SaveRegValue", "first", 2, "");
    {
        // The next run chooses its file afresh and finds this one.
        ScopedLogFolder nextRun(box.dir() / "log");
        LogError("Other", "second", 0, "why");
    }
    static const std::regex lines(
        "Umbrix\t\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d\t\\(Call SaveRegValue\\)\t\\[ "
        "first; Err=2 \\]\r\n"
        "Umbrix\t\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d\twhy; \\(Other\\)\t\\[ second \\]\r\n");
    EXPECT_TRUE(std::regex_match(readWholeFile(box.logFile()), lines))
        << readWholeFile(box.logFile());
}

TEST(LogErrorTest, MakesOnlyTheLastFolderLevelAndFailsSilently) {
    test::StoreSandbox box;
    test::makeFile(box.dir() / "file");
    for (const char* folder : {"a/b", "file"}) {
        ScopedLogFolder unusable(box.dir() / folder);
        LogError("P", "lost", 1, "");
    }
    EXPECT_FALSE(test::exists(box.dir() / "a"));
    EXPECT_EQ(readWholeFile(box.dir() / "file"), "");

    ScopedLogFolder oneLevel(box.dir() / "a");
    LogError("P", "kept", 0, "");
    EXPECT_NE(readWholeFile(box.dir() / "a/LOG_TESTS.log").find("[ kept ]"), std::string::npos);
}

} // namespace
} // namespace umbrix
