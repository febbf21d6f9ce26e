#include "BaselineWalk.h"

#include "platform/AttributeStore.h"
#include "platform/EntryAccess.h"
#include "platform/FileDescriptor.h"

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <vector>

namespace umbrix::bench {
namespace {

using platform::Entry;
using platform::FileDescriptor;

constexpr const char* kAttribute = "user.DOSATTRIB";

struct Walker {
    BaselineCounts counts;

    // The folder open as `folder`: its names and types read first, then each
    // entry looked at relative to it, folders walked as they come.
    void walk(FileDescriptor folder)
    {
        const int fd = folder.get();
        DIR* dir = fdopendir(folder.release());
        if (!dir)
            return;
        struct Child {
            std::string name;
            unsigned char type;
        };
        std::vector<Child> children;
        while (const dirent* d = readdir(dir)) {
            const char* n = d->d_name;
            if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
                continue;
            children.push_back({n, d->d_type});
        }
        for (const Child& child : children) {
            ++counts.entries;
            unsigned char type = child.type;
            if (type == DT_UNKNOWN) {
                struct stat st;
                if (fstatat(fd, child.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
                    continue;
                type = S_ISLNK(st.st_mode) ? DT_LNK : S_ISDIR(st.st_mode) ? DT_DIR : DT_REG;
            }
            if (type == DT_LNK)
                continue;
            attribute(fd, child.name.c_str());
            if (type == DT_DIR)
                walk(FileDescriptor(openat(fd, child.name.c_str(),
                                           O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)));
        }
        closedir(dir);
    }

    // Reads the entry's value and rewrites a hidden, non-system one without
    // the hidden bit, through the same calls the program's stores use.
    void attribute(int folder, const char* name)
    {
        Entry entry(folder, name);
        char value[128];
        const ssize_t n = entry.getXattr(kAttribute, value, sizeof value - 1);
        if (n <= 2 || value[0] != '0' || value[1] != 'x')
            return;
        value[n] = 0;
        const unsigned long attributes = std::strtoul(value + 2, nullptr, 16);
        if (attributes & 0x6)
            ++counts.listed;
        if (!platform::isUnhideCandidate(static_cast<uint32_t>(attributes)))
            return;
        char text[16];
        const int length = std::snprintf(text, sizeof text, "0x%lx", attributes & ~0x2ul);
        if (entry.setXattr(kAttribute, text, static_cast<size_t>(length) + 1, 0) == 0)
            ++counts.unhidden;
    }
};

} // namespace

const char* baselineCalls()
{
    return platform::usesProcFdFallback()
               ? "openat, getdents64, fstatat only for an unknown type, an O_PATH descriptor "
                 "and getxattr/setxattr on /proc/self/fd (no *xattrat in this kernel)"
               : "openat, getdents64, fstatat only for an unknown type, getxattrat, setxattrat";
}

BaselineCounts baselineWalk(const std::string& root)
{
    Walker walker;
    FileDescriptor folder(open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // One look at the volume, as the program makes one per mount.
    struct statfs volume;
    if (folder && fstatfs(folder.get(), &volume) == 0)
        walker.walk(std::move(folder));
    return walker.counts;
}

} // namespace umbrix::bench
