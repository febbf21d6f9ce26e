#include "cli/AttribRun.h"

#include "cli/AttribMain.h"
#include "support/NtfsVolume.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace umbrix::test {
namespace {

std::string drained(std::FILE* file, char*& buffer, size_t& size)
{
    std::fclose(file);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

} // namespace

AttribResult attribHere(const std::vector<std::string>& arguments, const std::string& journalFolder)
{
    char* outBuffer = nullptr;
    char* errBuffer = nullptr;
    size_t outSize = 0;
    size_t errSize = 0;
    std::FILE* out = open_memstream(&outBuffer, &outSize);
    std::FILE* err = open_memstream(&errBuffer, &errSize);
    std::vector<std::string> argv{"umbrix-attrib"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    AttribResult result;
    result.status = cli::attribMain(argv, out, err, journalFolder);
    result.out = drained(out, outBuffer, outSize);
    result.err = drained(err, errBuffer, errSize);
    return result;
}

AttribResult attribProgram(const std::vector<std::string>& arguments, const std::string& workFolder,
                           const std::map<std::string, std::string>& environment)
{
    std::map<std::string, std::string> merged;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const size_t eq = entry.find('=');
        merged[entry.substr(0, eq)] = eq == std::string::npos ? "" : entry.substr(eq + 1);
    }
    for (const auto& [name, value] : environment)
        merged[name] = value;
    std::vector<std::string> envText;
    for (const auto& [name, value] : merged)
        envText.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& text : envText)
        envp.push_back(text.data());
    envp.push_back(nullptr);

    std::vector<std::string> argvText{UMBRIX_ATTRIB_PROGRAM};
    argvText.insert(argvText.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : argvText)
        argv.push_back(text.data());
    argv.push_back(nullptr);

    const std::string outPath = workFolder + "/attrib.out";
    const std::string errPath = workFolder + "/attrib.err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    AttribResult result;
    if (spawned != 0) {
        ADD_FAILURE() << "cannot start " << argv[0];
        return result;
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = readTextFile(outPath);
    result.err = readTextFile(errPath);
    return result;
}

} // namespace umbrix::test
