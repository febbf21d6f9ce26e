#include "log/LogError.h"

#include "settings/StoreSandbox.h"

#include <chrono>
#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>

namespace umbrix {
namespace {

using test::readWholeFile;

// One line per call, appended across runs; the log's own folder is made,
// never its parents, and a folder that cannot be used loses the line quietly.
TEST(LogErrorTest, AppendsOneLinePerCallAcrossRunsAndMakesOnlyTheLastFolderLevel)
{
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

    test::makeFile(box.dir() / "file");
    for (const char* folder : {"a/b", "file"}) {
        ScopedLogFolder unusable(box.dir() / folder);
        LogError("P", "lost", 1, "");
    }
    EXPECT_FALSE(test::exists(box.dir() / "a"));
    EXPECT_EQ(readWholeFile(box.dir() / "file"), "");
}

// Whatever sits at the log path, the line lands in a regular file: the
// user's data folder's log when the program's is anything else.
TEST(LogErrorTest, ALogPathThatIsNoRegularFileSendsTheLineToTheFallback)
{
    test::StoreSandbox box;
    const std::string folder = box.dir() / "log", data = box.dir() / "data";
    const std::string at = folder + "/LOG_TESTS.log", fallback = data + "/LOG_TESTS.log";
    const std::string outside = box.dir() / "outside";
    test::makeDir(folder);
    for (const std::string what : {"fifo", "link", "folder"}) {
        SCOPED_TRACE(what);
        ::unlink(at.c_str());
        ::rmdir(at.c_str());
        ::unlink(fallback.c_str());
        test::makeFile(outside);
        if (what == "fifo")
            ASSERT_EQ(::mkfifo(at.c_str(), 0644), 0);
        else if (what == "link")
            ASSERT_EQ(::symlink(outside.c_str(), at.c_str()), 0);
        else
            test::makeDir(at);
        ScopedLogFolder redirected(folder, data);

        auto logged = std::async(std::launch::async, [&] { LogError("P", what, 0, ""); });
        if (logged.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            // A reader lets the stuck open go on, so the test ends.
            const int reader = ::open(at.c_str(), O_RDONLY | O_NONBLOCK);
            logged.wait();
            ::close(reader);
            ADD_FAILURE() << "LogError hung on the log path";
        }
        EXPECT_NE(readWholeFile(fallback).find("[ " + what + " ]"), std::string::npos);
        EXPECT_EQ(readWholeFile(outside), "");
    }
}
// A program run from its build folder logs beside itself; an installed one,
// even one whose folder root could write, never does.
TEST(LogErrorTest, AnInstalledProgramLogsInTheDataFolderOnly)
{
    const test::TempDir dir;
    const std::string build = dir / "build";
    test::makeDir(build);
    test::makeDir(build + "/src");
    const std::string data = dir / "data/Umbrix/";
    const auto dataFolder = [&] { return data; };
    const struct {
        std::string program;
        std::string folder;
    } cases[] = {
        {build + "/src/umbrix", build + "/src/"},
        {"/usr/bin/umbrix", data},
        // A folder beside the build folder that only starts with its name.
        {build + "-other/umbrix", data},
        // Built, but the build folder cannot take the file.
        {build + "/gone/umbrix", data},
    };
    for (const auto& c : cases)
        EXPECT_EQ(logFolderFor(c.program, build, "UMBRIX.log", dataFolder), c.folder) << c.program;
    EXPECT_EQ(logFolderFor("/usr/bin/umbrix", build, "UMBRIX.log", [] { return std::string(); }),
              "/usr/bin/");
}

} // namespace
} // namespace umbrix
