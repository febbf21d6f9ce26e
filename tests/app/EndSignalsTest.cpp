#include "app/EndSignals.h"

#include "support/TempDir.h"

#include <QCoreApplication>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace umbrix {
namespace {

// The window program still ends on SIGHUP, SIGTERM and SIGINT, but only
// after its last work (the journal's) has run; SIGPIPE ends nothing.
TEST(EndSignals, AnEndingSignalRunsTheLastWorkFirstAndAPipeEndsNothing)
{
    test::TempDir tmp;
    for (const int signal : {SIGHUP, SIGTERM, SIGINT}) {
        const std::string marker = tmp / ("ran" + std::to_string(signal));
        const pid_t pid = ::fork();
        if (pid == 0) {
            int argc = 1;
            char name[] = "end";
            char* argv[] = {name, nullptr};
            QCoreApplication application(argc, argv);
            const EndSignals ending(
                [&] { ::close(::open(marker.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600)); });
            ::raise(SIGPIPE);
            ::raise(signal);
            for (int i = 0; i < 100; ++i)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal << " " << status;
        EXPECT_TRUE(test::exists(marker)) << signal;
    }
}

} // namespace
} // namespace umbrix
