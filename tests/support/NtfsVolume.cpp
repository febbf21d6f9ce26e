#include "support/NtfsVolume.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sstream>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace umbrix::test {
namespace {

constexpr long FuseMagic = 0x65735546;
constexpr off_t ImageSize = 32 * 1024 * 1024;

bool isFuseMount(const std::string& path)
{
    struct statfs fs {};
    return ::statfs(path.c_str(), &fs) == 0 && fs.f_type == FuseMagic;
}

} // namespace

std::string findTool(const std::string& tool)
{
    std::string dirs = std::getenv("PATH") ? std::getenv("PATH") : "";
    dirs += ":/usr/sbin:/sbin:/usr/bin:/bin";
    std::istringstream in(dirs);
    for (std::string dir; std::getline(in, dir, ':');) {
        if (dir.empty())
            continue;
        const std::string candidate = dir + "/" + tool;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

pid_t startTool(const std::string& tool, const std::vector<std::string>& args,
                const std::string& out, const std::string& err,
                const std::vector<std::string>& environment)
{
    const auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (std::none_of(environment.begin(), environment.end(),
                         [&](const std::string& own) { return nameOf(own) == nameOf(entry); }))
            env.push_back(entry);
    }
    env.insert(env.end(), environment.begin(), environment.end());
    std::vector<std::string> argvText{tool};
    argvText.insert(argvText.end(), args.begin(), args.end());
    const auto pointers = [](std::vector<std::string>& texts) {
        std::vector<char*> p;
        for (std::string& t : texts)
            p.push_back(t.data());
        p.push_back(nullptr);
        return p;
    };
    std::vector<char*> argv = pointers(argvText);
    std::vector<char*> envp = pointers(env);

    // Output goes to a file, not a pipe: ntfs-3g and smbd leave daemons behind
    // that would hold a pipe open for as long as they run.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (err.empty())
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
    else
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                         0644);
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
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

NtfsVolume::NtfsVolume(const std::string& folder)
    : root_(folder + "/ntfs"), image_(folder + "/ntfs.img"), log_(folder + "/ntfs-tools.log")
{
    mounted_ = mount();
}

bool NtfsVolume::mount()
{
    if (::access("/dev/fuse", R_OK | W_OK) != 0) {
        reason_ = std::string("/dev/fuse is not usable here: ") + std::strerror(errno);
        return false;
    }
    const std::string mkntfs = findTool("mkntfs");
    const std::string ntfs3g = findTool("ntfs-3g");
    if (mkntfs.empty() || ntfs3g.empty()) {
        reason_ = "mkntfs or ntfs-3g is not installed (Debian package ntfs-3g)";
        return false;
    }
    // From here on every tool is there, so a step that fails is a failure.
    const auto failed = [this](const std::string& why) {
        reason_ = why;
        ADD_FAILURE() << reason_;
        return false;
    };
    const std::string& image = image_;
    const std::string& log = log_;
    const int fd = ::open(image.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const bool sized = fd >= 0 && ::ftruncate(fd, ImageSize) == 0;
    const std::string sizeError = std::strerror(errno);
    if (fd >= 0)
        ::close(fd);
    if (!sized)
        return failed("cannot create the NTFS image " + image + ": " + sizeError);
    if (runTool(mkntfs, {"-F", "-Q", image}, log) != 0)
        return failed("mkntfs failed: " + readTextFile(log));
    if (::mkdir(root_.c_str(), 0755) != 0)
        return failed("cannot create the mount point " + root_ + ": " + std::strerror(errno));
    if (runTool(ntfs3g, {image, root_}, log) != 0 || !isFuseMount(root_))
        return failed("ntfs-3g could not mount the volume: " + readTextFile(log));
    return true;
}

bool NtfsVolume::unmount()
{
    // The daemon may still be busy with the last request for a moment.
    for (int attempt = 0; attempt < 50 && isFuseMount(root_); ++attempt) {
        if (::geteuid() == 0) {
            if (::umount2(root_.c_str(), 0) == 0)
                break;
        } else {
            std::string fusermount = findTool("fusermount3");
            if (fusermount.empty())
                fusermount = findTool("fusermount");
            if (!fusermount.empty() && runTool(fusermount, {"-u", root_}, "/dev/null") == 0)
                break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return !isFuseMount(root_);
}

bool NtfsVolume::remount()
{
    if (!mounted_ || !unmount())
        return false;
    // The old daemon lets go of the image only once it has written it out.
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (runTool(findTool("ntfs-3g"), {image_, root_}, log_) == 0 && isFuseMount(root_))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    mounted_ = false;
    return false;
}

NtfsVolume::~NtfsVolume()
{
    if (mounted_ && !unmount()) {
        ADD_FAILURE() << "could not unmount " << root_ << "; detaching it";
        ::umount2(root_.c_str(), MNT_DETACH);
    }
}

} // namespace umbrix::test
