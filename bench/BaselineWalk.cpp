#include "BaselineWalk.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <unordered_map>

namespace umbrix::bench {
namespace {

struct Walker {
    BaselineCounts counts;
    std::unordered_map<dev_t, long> fsTypes;
    std::string path;

    void walk()
    {
        DIR* dir = opendir(path.c_str());
        if (!dir)
            return;
        const size_t base = path.size();
        while (const dirent* d = readdir(dir)) {
            if (d->d_name[0] == '.' &&
                (d->d_name[1] == 0 || (d->d_name[1] == '.' && d->d_name[2] == 0)))
                continue;
            ++counts.entries;
            struct stat st;
            if (fstatat(dirfd(dir), d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
                S_ISLNK(st.st_mode))
                continue;
            if (!fsTypes.contains(st.st_dev)) {
                struct statfs sfs;
                fsTypes[st.st_dev] =
                    fstatfs(dirfd(dir), &sfs) == 0 ? static_cast<long>(sfs.f_type) : 0;
            }
            path += '/';
            path += d->d_name;
            char value[128];
            const ssize_t n = lgetxattr(path.c_str(), "user.DOSATTRIB", value, sizeof value - 1);
            if (n > 2 && value[0] == '0' && value[1] == 'x') {
                value[n] = 0;
                const unsigned long attributes = std::strtoul(value + 2, nullptr, 16);
                if (attributes & 0x6)
                    ++counts.listed;
                if ((attributes & 0x6) == 0x2) {
                    char text[16];
                    const int len = std::snprintf(text, sizeof text, "0x%lx", attributes & ~0x2ul);
                    if (lsetxattr(path.c_str(), "user.DOSATTRIB", text,
                                  static_cast<size_t>(len) + 1, 0) == 0)
                        ++counts.unhidden;
                }
            }
            if (S_ISDIR(st.st_mode))
                walk();
            path.resize(base);
        }
        closedir(dir);
    }
};

} // namespace

BaselineCounts baselineWalk(const std::string& root)
{
    Walker walker;
    walker.path = root;
    walker.walk();
    return walker.counts;
}

} // namespace umbrix::bench
