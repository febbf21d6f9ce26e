#include "app/Usage.h"

#include "app/CommandLine.h"
#include "settings/SettingsStore.h"
#include "support/TempDir.h"
#include "support/Tools.h"

#include <QSettings>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace umbrix {
namespace {

constexpr float LongestPause = std::numeric_limits<float>::max();

struct ProgramRun {
    int exitCode = -1;
    std::string output;
    std::string errors;
};

// The built program with `arguments` and none of this session's
// environment: no display can be reached, so a QApplication made before the
// answer would end it with an error, and no variable leads to the user's
// folders.
ProgramRun runProgramWithoutDisplay(const std::vector<const char*>& arguments)
{
    const test::TempDir dir;
    std::vector<std::string> args{"-i",
                                  "QT_QPA_PLATFORM=xcb",
                                  "HOME=" + dir.path(),
                                  "XDG_CONFIG_HOME=" + dir / "config",
                                  "XDG_DATA_HOME=" + dir / "data",
                                  UMBRIX_PROGRAM};
    args.insert(args.end(), arguments.begin(), arguments.end());
    ProgramRun run;
    run.exitCode = test::waitTool(test::startTool("/usr/bin/env", args, dir / "out", dir / "err"));
    run.output = test::readTextFile(dir / "out");
    run.errors = test::readTextFile(dir / "err");
    return run;
}

// The first information switch decides, and only one folder opens the
// window; the program answers without a display: help and version on
// standard output, a misread line with the help on standard error.
TEST(Usage, TheFirstInformationSwitchDecidesAndOnlyOneFolderOpensTheWindow)
{
    const struct {
        std::vector<const char*> arguments;
        InfoRequest request;
    } cases[] = {
        {{}, InfoRequest::None},
        {{"--help"}, InfoRequest::Help},
        {{"-h"}, InfoRequest::Help},
        {{"--version"}, InfoRequest::Version},
        {{"/timeout:0.5", "/media/usb", "--help"}, InfoRequest::Help},
        {{"--version", "--help"}, InfoRequest::Version},
        {{"-h", "--version"}, InfoRequest::Help},
        {{"--bogus", "--help"}, InfoRequest::Help},
        {{"/timeout:1", "/media/--help"}, InfoRequest::None},
        {{"-style", "fusion", "-reverse", "-platform=xcb", "a"}, InfoRequest::None},
        // Only the exact words: a near miss or a second folder is misread.
        {{"--helpme"}, InfoRequest::UsageError},
        {{"-help"}, InfoRequest::UsageError},
        {{"--Version"}, InfoRequest::UsageError},
        {{"a", "b"}, InfoRequest::UsageError},
        {{"-style"}, InfoRequest::None},
        {{"a", "-style=fusion", "b"}, InfoRequest::UsageError},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        std::vector<const char*> argv{"umbrix"};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        argv.push_back(nullptr);
        EXPECT_EQ(infoRequestFromArguments(static_cast<int>(argv.size()) - 1, argv.data()),
                  c.request);
        if (c.request == InfoRequest::None)
            continue;
        const ProgramRun run = runProgramWithoutDisplay(c.arguments);
        const std::string answer = c.request == InfoRequest::Version ? versionText() : usageText();
        const bool misread = c.request == InfoRequest::UsageError;
        EXPECT_EQ(run.exitCode, misread ? 2 : 0);
        EXPECT_EQ(run.output, misread ? "" : answer);
        EXPECT_EQ(run.errors, misread ? answer : "");
    }
    EXPECT_TRUE(usageText().starts_with("Usage: umbrix [/timeout:SECONDS] [FOLDER]\n"));
    // The configured version, not the template's placeholder.
    const std::string version = versionText();
    EXPECT_TRUE(version.starts_with("umbrix ") && version.ends_with("\n") &&
                version.find_first_not_of("0123456789.", 7) == version.size() - 1)
        << version;
}

// The window raises its open-file limit as the command line does: a delete
// holds a descriptor for every level of the tree it empties.
TEST(Usage, TheWindowRaisesItsOpenFileLimit)
{
    rlimit limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
    if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max <= 256)
        GTEST_SKIP() << "the hard limit leaves nothing to raise";
    const std::string hard =
        limit.rlim_max == RLIM_INFINITY ? "unlimited" : std::to_string(limit.rlim_max);
    const test::TempDir dir;
    ASSERT_EQ(::mkdir((dir / "runtime").c_str(), 0700), 0);
    const pid_t pid =
        test::startTool("/usr/bin/env",
                        {"-i", "QT_QPA_PLATFORM=offscreen", "HOME=" + dir.path(),
                         "XDG_CONFIG_HOME=" + dir / "config", "XDG_DATA_HOME=" + dir / "data",
                         "XDG_STATE_HOME=" + dir / "state", "XDG_RUNTIME_DIR=" + dir / "runtime",
                         "/usr/bin/prlimit", "--nofile=256:" + hard, UMBRIX_PROGRAM, dir.path()},
                        dir / "out", dir / "err");
    // The soft limit as the running program has it; it starts at 256.
    const auto softLimit = [&] {
        std::ifstream limits("/proc/" + std::to_string(pid) + "/limits");
        std::string line;
        while (std::getline(limits, line))
            if (line.starts_with("Max open files"))
                return line.substr(26, line.find_first_of(' ', 26) - 26);
        return std::string();
    };
    const auto running = [&] {
        std::error_code error;
        return std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", error) ==
               std::filesystem::path(UMBRIX_PROGRAM);
    };
    // The raise comes first at start-up; the waits are only bounds.
    std::string soft;
    for (int i = 0; i < 3000 && (!running() || (soft = softLimit()) == "256"); ++i)
        ::usleep(10000);
    ::kill(pid, SIGTERM);
    test::waitTool(pid);
    EXPECT_NE(soft, "256");
    EXPECT_FALSE(soft.empty());
    if (hard != "unlimited") {
        EXPECT_EQ(soft, hard);
    }
}

// Qt decides where the stores live; the help text must name the files it
// picks for a user whose configuration folder is the default one.
TEST(Usage, TheSettingsFilesNamedInTheHelpAreTheOnesTheStoresUse)
{
    const test::TempDir home;
    ASSERT_EQ(::setenv("HOME", home.path().c_str(), 1), 0);
    ASSERT_EQ(::unsetenv("XDG_CONFIG_HOME"), 0);

    // Stops before writing anywhere else, should Qt have settled the
    // folders before HOME was changed.
    const std::string userIni = home / ".config/Umbrix/Umbrix.ini";
    ASSERT_EQ(QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Umbrix"),
                        QStringLiteral("Umbrix"))
                  .fileName()
                  .toStdString(),
              userIni);
    saveLogErrorsSetting(true);
    EXPECT_TRUE(readLogErrorsSetting());
    EXPECT_EQ(test::readTextFile(userIni), "[Setting]\nLogError=True\n") << userIni;

    const std::string systemIni = QSettings(QSettings::IniFormat, QSettings::SystemScope,
                                            QStringLiteral("Umbrix"), QStringLiteral("Umbrix"))
                                      .fileName()
                                      .toStdString();
    const std::string usage = usageText();
    for (const std::string& named :
         {std::string("~/.config/Umbrix/Umbrix.ini"), systemIni, std::string("group [Setting]"),
          std::string("LogError=True"), std::string("LogLeft, LogTop")})
        EXPECT_NE(usage.find(named), std::string::npos) << named;
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
