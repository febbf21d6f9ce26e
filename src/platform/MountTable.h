#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace umbrix {

// One mounted filesystem as the drive list offers it.
struct Volume {
    std::string mountPoint; // bytes, unescaped
    std::string fsType;
};

// The browsable volumes in a mountinfo text: pseudo filesystems (proc,
// sysfs, cgroup...), everything below /proc, /sys and /dev, and the runtime
// tmpfs mounts below /run are left out; a mount point mounted over keeps only
// its visible (last) entry.  Sorted by mount point bytes, so "/" comes first;
// "/" is always present (with an empty type when the table lacks it).
std::vector<Volume> parseMountInfo(std::string_view mountinfo);

// parseMountInfo of the file's content, further limited to mount points that
// are directories (containers bind-mount single files); "/" alone when the
// file cannot be read.
std::vector<Volume> readMountTable(const std::string& mountInfoPath);

// Index of the volume holding absolute `path`: the deepest mount point that
// is a whole-component prefix of it; -1 when `path` is not absolute.
int volumeHolding(const std::vector<Volume>& volumes, std::string_view path);

} // namespace umbrix
