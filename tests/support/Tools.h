#pragma once

#include <gtest/gtest.h>
#include <string>
#include <sys/types.h>
#include <vector>

namespace umbrix::test {

// The full path of `tool` on PATH or in the usual sbin folders, "" if absent.
std::string findTool(const std::string& tool);

// Starts `tool` with `args`, reading nothing, its output appended to `out` and
// its errors to `err` ("": to `out` too), with `environment` ("NAME=value")
// over the test's own.  The process id, -1 when it could not start.
pid_t startTool(const std::string& tool, const std::vector<std::string>& args,
                const std::string& out, const std::string& err = {},
                const std::vector<std::string>& environment = {});
// The exit status of a started tool, -1 when it never started or a signal ended it.
int waitTool(pid_t pid);
// Runs `tool` to its end, its output and errors appended to `log`; its exit status.
int runTool(const std::string& tool, const std::vector<std::string>& args, const std::string& log);

// The contents of a small text file, "" when it cannot be read.
std::string readTextFile(const std::string& path);

// A program of another project that judges or serves a test.  A machine
// without it gives a skip reason; one that is there and fails is a test
// failure as well.
class Peer {
public:
    const std::string& skipReason() const { return reason_; }

protected:
    bool absent(const std::string& why)
    {
        reason_ = why;
        return false;
    }
    bool failed(const std::string& why)
    {
        ADD_FAILURE() << why;
        return absent(why);
    }

private:
    std::string reason_;
};

} // namespace umbrix::test
