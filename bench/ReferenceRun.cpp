#include "ReferenceRun.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace umbrix::bench {
namespace {

// The number after "\"key\": " in a flat JSON object, -1 when absent.
int64_t jsonNumber(const std::string& json, const std::string& key)
{
    const std::string quoted = "\"" + key + "\":";
    const size_t at = json.find(quoted);
    if (at == std::string::npos)
        return -1;
    return std::strtoll(json.c_str() + at + quoted.size(), nullptr, 10);
}

double seconds(const timeval& t)
{
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
}

} // namespace

ReferenceResult runReferenceWalker(const std::string& walker, const std::string& root)
{
    int out[2];
    if (pipe(out) != 0)
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    std::string program = walker, variant = "--variant=at", noStat = "--no-stat", tree = root;
    char* argv[] = {program.data(), variant.data(), noStat.data(), tree.data(), nullptr};
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child < 0)
        throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        execv(argv[0], argv);
        _exit(127);
    }
    close(out[1]);
    std::string json;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n > 0)
            json.append(buffer, static_cast<size_t>(n));
        else if (n == 0 || errno != EINTR)
            break;
    }
    close(out[0]);
    int status = 0;
    rusage usage{};
    while (wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    ReferenceResult r;
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(walker + " failed on " + root + " (status " +
                                 std::to_string(status) + ")");
    r.entries = jsonNumber(json, "entries");
    r.listed = jsonNumber(json, "listed");
    r.unhidden = jsonNumber(json, "unhidden");
    return r;
}

} // namespace umbrix::bench
