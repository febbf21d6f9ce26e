#include "support/Tools.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace umbrix::test {

std::string findTool(const std::string& tool)
{
    std::istringstream dirs(std::string(std::getenv("PATH") ? std::getenv("PATH") : "") +
                            ":/usr/sbin:/sbin:/usr/bin:/bin");
    for (std::string dir; std::getline(dirs, dir, ':');)
        if (!dir.empty() && ::access((dir + "/" + tool).c_str(), X_OK) == 0)
            return dir + "/" + tool;
    return {};
}

pid_t startTool(const std::string& tool, const std::vector<std::string>& args,
                const std::string& out, const std::string& err,
                const std::vector<std::string>& environment)
{
    std::map<std::string, std::string> byName;
    for (char** e = environ; *e; ++e)
        byName[std::string(*e).substr(0, std::string(*e).find('='))] = *e;
    for (const std::string& own : environment)
        byName[own.substr(0, own.find('='))] = own;
    std::vector<std::string> argvText{tool}, envText;
    argvText.insert(argvText.end(), args.begin(), args.end());
    for (const auto& [name, entry] : byName)
        envText.push_back(entry);
    const auto pointers = [](std::vector<std::string>& texts) {
        std::vector<char*> p;
        for (std::string& t : texts)
            p.push_back(t.data());
        p.push_back(nullptr);
        return p;
    };
    std::vector<char*> argv = pointers(argvText), envp = pointers(envText);

    // Output goes to a file, not a pipe: ntfs-3g and smbd leave daemons behind
    // that would hold a pipe open for as long as they run.
    constexpr int kAppend = O_WRONLY | O_CREAT | O_APPEND;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), kAppend, 0644);
    if (err.empty())
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
    else
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), kAppend, 0644);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

int waitTool(pid_t pid)
{
    int status = 0;
    if (pid <= 0)
        return -1;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int runTool(const std::string& tool, const std::vector<std::string>& args, const std::string& log)
{
    return waitTool(startTool(tool, args, log));
}

std::string readTextFile(const std::string& path)
{
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

} // namespace umbrix::test
