#include "ChildProcess.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace umbrix::bench {
namespace {

double seconds(const timeval& t)
{
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
}

} // namespace

bool ChildOutput::succeeded() const
{
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

ChildOutput runChild(const std::string& program, const std::vector<std::string>& args)
{
    int out[2];
    if (pipe(out) != 0)
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    std::vector<std::string> copies = args;
    std::vector<char*> argv;
    for (std::string& a : copies)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child < 0)
        throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        execvp(program.c_str(), argv.data());
        _exit(127);
    }
    close(out[1]);
    ChildOutput result;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n > 0)
            result.text.append(buffer, static_cast<size_t>(n));
        else if (n == 0 || errno != EINTR)
            break;
    }
    close(out[0]);
    rusage usage{};
    while (wait4(child, &result.status, 0, &usage) < 0 && errno == EINTR) {
    }
    result.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    return result;
}

} // namespace umbrix::bench
