#include "platform/MountTable.h"

#include <algorithm>
#include <array>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace umbrix {
namespace {

// Kernel interfaces and plumbing, not places where anyone keeps files.
constexpr std::array<std::string_view, 24> pseudoFilesystems{
    "proc",      "sysfs",       "cgroup",          "cgroup2",    "devpts",
    "devtmpfs",  "mqueue",      "securityfs",      "debugfs",    "tracefs",
    "bpf",       "pstore",      "configfs",        "fusectl",    "hugetlbfs",
    "autofs",    "binfmt_misc", "efivarfs",        "rpc_pipefs", "nsfs",
    "selinuxfs", "nfsd",        "fuse.gvfsd-fuse", "fuse.portal"};

bool isPseudo(std::string_view type)
{
    return std::find(pseudoFilesystems.begin(), pseudoFilesystems.end(), type) !=
           pseudoFilesystems.end();
}

bool isWithin(std::string_view path, std::string_view folder)
{
    return path.starts_with(folder) && (path.size() == folder.size() || path[folder.size()] == '/');
}

bool isBrowsable(const Volume& v)
{
    if (isPseudo(v.fsType))
        return false;
    if (isWithin(v.mountPoint, "/proc") || isWithin(v.mountPoint, "/sys") ||
        isWithin(v.mountPoint, "/dev"))
        return false;
    // /run holds sockets and locks in tmpfs; removable media mounted below it
    // (/run/media/...) are real filesystems and stay.
    if (v.fsType == "tmpfs" && isWithin(v.mountPoint, "/run"))
        return false;
    // Every installed snap package is a mounted image of its own.
    if (v.fsType == "squashfs" && isWithin(v.mountPoint, "/snap"))
        return false;
    return true;
}

// The kernel writes space, tab, newline and backslash in a mount point as
// "\ooo" octal escapes.
std::string unescape(std::string_view field)
{
    std::string out;
    out.reserve(field.size());
    const auto octal = [&](size_t k) { return field[k] >= '0' && field[k] <= '7'; };
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && octal(i + 1) && octal(i + 2) &&
            octal(i + 3)) {
            out += static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) |
                                     (field[i + 3] - '0'));
            i += 3;
            continue;
        }
        out += field[i];
    }
    return out;
}

std::vector<std::string_view> splitFields(std::string_view line)
{
    std::vector<std::string_view> fields;
    size_t pos = 0;
    while (pos < line.size()) {
        const size_t end = std::min(line.find(' ', pos), line.size());
        if (end > pos)
            fields.push_back(line.substr(pos, end - pos));
        pos = end + 1;
    }
    return fields;
}

} // namespace

std::vector<Volume> parseMountInfo(std::string_view mountinfo)
{
    std::vector<Volume> mounts;
    size_t pos = 0;
    while (pos < mountinfo.size()) {
        const size_t end = std::min(mountinfo.find('\n', pos), mountinfo.size());
        const auto fields = splitFields(mountinfo.substr(pos, end - pos));
        pos = end + 1;
        // id parent dev root mountpoint options [optional...] - type source superoptions
        if (fields.size() < 7)
            continue;
        const auto dash = std::find(fields.begin() + 6, fields.end(), std::string_view("-"));
        if (dash == fields.end() || std::next(dash) == fields.end())
            continue;
        Volume v{unescape(fields[4]), std::string(*std::next(dash))};
        // A later line mounted over the same point hides the earlier one.
        std::erase_if(mounts, [&](const Volume& m) { return m.mountPoint == v.mountPoint; });
        mounts.push_back(std::move(v));
    }

    std::vector<Volume> volumes;
    for (auto& m : mounts)
        if (m.mountPoint == "/" || isBrowsable(m))
            volumes.push_back(std::move(m));
    if (std::none_of(volumes.begin(), volumes.end(),
                     [](const Volume& v) { return v.mountPoint == "/"; }))
        volumes.push_back(Volume{"/", {}});
    std::sort(volumes.begin(), volumes.end(),
              [](const Volume& a, const Volume& b) { return a.mountPoint < b.mountPoint; });
    return volumes;
}

std::vector<Volume> readMountTable(const std::string& mountInfoPath)
{
    std::ifstream in(mountInfoPath, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto volumes = parseMountInfo(text);
    // Asking for the type alone, from the cache, with no automount: a dead
    // network mount must not freeze the list.
    std::erase_if(volumes, [](const Volume& v) {
        struct statx st {};
        if (v.mountPoint == "/")
            return false;
        if (::statx(AT_FDCWD, v.mountPoint.c_str(),
                    AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC | AT_SYMLINK_NOFOLLOW, STATX_TYPE,
                    &st) != 0)
            return false;
        return (st.stx_mask & STATX_TYPE) && !S_ISDIR(st.stx_mode);
    });
    return volumes;
}

int volumeHolding(const std::vector<Volume>& volumes, std::string_view path)
{
    if (path.empty() || path.front() != '/')
        return -1;
    int best = -1;
    size_t bestLength = 0;
    for (size_t i = 0; i < volumes.size(); ++i) {
        const std::string& mp = volumes[i].mountPoint;
        const bool holds = mp == "/" || isWithin(path, mp);
        if (holds && (best < 0 || mp.size() > bestLength)) {
            best = static_cast<int>(i);
            bestLength = mp.size();
        }
    }
    return best;
}

} // namespace umbrix
