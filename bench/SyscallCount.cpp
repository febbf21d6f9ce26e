#include "SyscallCount.h"

#include "ChildProcess.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace umbrix::bench {
namespace {

std::string thisProgram()
{
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

// Runs `args` (found on the PATH); true when it exited with 0.  What it
// prints is not needed: the counters write their counts to a file.
bool run(const std::vector<std::string>& args)
{
    try {
        return runChild(args.front(), args).succeeded();
    } catch (const std::runtime_error&) {
        return false;
    }
}

std::string scratchFile()
{
    char name[] = "/tmp/umbrix-syscalls-XXXXXX";
    const int fd = mkstemp(name);
    if (fd >= 0)
        close(fd);
    return name;
}

// perf's count of sys_enter events, -1 when perf cannot count them here.
int64_t perfCount(const std::string& kind, const std::string& root)
{
    const std::string out = scratchFile();
    const bool ran = run({"perf", "stat", "-x", ",", "-e", "raw_syscalls:sys_enter", "-o", out,
                          "--", thisProgram(), "--walk-run", kind, root});
    std::ifstream in(out);
    int64_t count = -1;
    for (std::string line; ran && std::getline(in, line);)
        if (line.find("raw_syscalls:sys_enter") != std::string::npos && !line.empty() &&
            line[0] >= '0' && line[0] <= '9')
            count = std::strtoll(line.c_str(), nullptr, 10);
    std::remove(out.c_str());
    return count;
}

// strace's lines, one a call; a call split by another thread's is counted
// once.
int64_t straceCount(const std::string& kind, const std::string& root)
{
    const std::string out = scratchFile();
    const bool ran =
        run({"strace", "-f", "-qq", "-o", out, thisProgram(), "--walk-run", kind, root});
    std::ifstream in(out);
    int64_t count = ran ? 0 : -1;
    for (std::string line; ran && std::getline(in, line);)
        if (line.find("resumed>") == std::string::npos && line.find("+++") == std::string::npos)
            ++count;
    std::remove(out.c_str());
    return count;
}

} // namespace

int64_t countSyscalls(const std::string& kind, const std::string& root, std::string& how)
{
    for (const bool perf : {true, false}) {
        const auto count = [&](const std::string& k) {
            return perf ? perfCount(k, root) : straceCount(k, root);
        };
        const int64_t start = count("none");
        if (start < 0)
            continue;
        const int64_t total = count(kind);
        if (total < 0)
            continue;
        how = perf ? "perf stat -e raw_syscalls:sys_enter" : "strace -f";
        return total - start;
    }
    how = "neither perf nor strace could count here";
    return -1;
}

} // namespace umbrix::bench
