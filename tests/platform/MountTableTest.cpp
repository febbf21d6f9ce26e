#include "platform/MountTable.h"

#include <gtest/gtest.h>

namespace umbrix {
namespace {

std::string line(const std::string& mountPoint, const std::string& type,
                 const std::string& optional = "shared:1")
{
    return "30 1 8:1 / " + mountPoint + " rw,relatime " + optional + " - " + type + " /dev/x rw\n";
}

TEST(MountTable, KeepsWhatAPersonBrowses)
{
    // clang-format off
    const std::pair<std::string, std::string> mounts[] = {
        {"/", "ext4"}, {"/proc", "proc"}, {"/sys", "sysfs"}, {"/sys/fs/cgroup", "cgroup2"},
        {"/dev", "devtmpfs"}, {"/dev/shm", "tmpfs"}, {"/run", "tmpfs"}, {"/run/user/1000", "tmpfs"},
        {"/run/media/me/STICK", "vfat"}, {"/tmp", "tmpfs"}, {"/snap/core/1", "squashfs"},
        {"/proc/sys/fs/binfmt_misc", "binfmt_misc"}, {"/home", "btrfs"}};
    // clang-format on
    // Any number of optional fields, an escaped blank, a line of no use.
    std::string table = line("/media/usb\\040stick", "vfat", "") +
                        line("/home", "xfs", "master:3 shared:4") + "garbage line\n";
    for (const auto& [mountPoint, type] : mounts)
        table += line(mountPoint, type);
    std::vector<std::string> kept;
    for (const Volume& v : parseMountInfo(table))
        kept.push_back(v.mountPoint + " " + v.fsType);
    // Mounted over, only the visible filesystem counts.
    EXPECT_EQ(kept, (std::vector<std::string>{"/ ext4", "/home btrfs", "/media/usb stick vfat",
                                              "/run/media/me/STICK vfat", "/tmp tmpfs"}));
    // Without "/" in the table the root is still offered.
    EXPECT_EQ(parseMountInfo(line("/data", "ext4")).front().mountPoint, "/");
}

} // namespace
} // namespace umbrix
