#pragma once

#include "support/Tools.h"

#include <string>

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
class NtfsVolume : public Peer {
public:
    explicit NtfsVolume(const std::string& folder);
    ~NtfsVolume();
    NtfsVolume(const NtfsVolume&) = delete;
    NtfsVolume& operator=(const NtfsVolume&) = delete;

    bool mounted() const { return mounted_; }
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
    bool mounted_ = false;
};

} // namespace umbrix::test
