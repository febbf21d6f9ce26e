#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace umbrix::test {

// A fresh 32 MiB NTFS volume mounted through ntfs-3g for the lifetime of the
// object: the image and the mount point lie in `folder` (a TempDir), and the
// volume is unmounted again on destruction, before the folder goes.
//
//   NtfsVolume vol(tmp.path());
//   if (!vol.mounted()) GTEST_SKIP() << vol.skipReason();
//
// A machine without /dev/fuse, mkntfs or ntfs-3g gives a skip reason; a
// mount that fails where all of them exist is a test failure as well.
class NtfsVolume {
public:
    explicit NtfsVolume(const std::string& folder);
    ~NtfsVolume();
    NtfsVolume(const NtfsVolume&) = delete;
    NtfsVolume& operator=(const NtfsVolume&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& skipReason() const { return reason_; }
    // The mount point, without a trailing "/".
    const std::string& root() const { return root_; }
    // Unmounts and mounts the image again, so that what is read afterwards
    // comes from the volume and not from the daemon's memory.
    bool remount();

private:
    bool mount();
    bool unmount();

    std::string root_;
    std::string image_;
    std::string log_;
    std::string reason_;
    bool mounted_ = false;
};

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

} // namespace umbrix::test
