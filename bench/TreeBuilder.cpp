#include "TreeBuilder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <ftw.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace umbrix::bench {
namespace {

constexpr int kEntriesPerFolder = 50;
constexpr int kFoldersPerFolder = 6;
constexpr int kMaxDepth = 6;
constexpr int kLinkEvery = 997;

struct SplitMix64 {
    uint64_t state;
    uint64_t next()
    {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
};

[[noreturn]] void fail(const char* what, const std::string& path)
{
    throw std::runtime_error(std::string(what) + " " + path + ": " + std::strerror(errno));
}

void setAttributes(const std::string& path, uint32_t attributes)
{
    char text[16];
    const int n = std::snprintf(text, sizeof text, "0x%x", attributes);
    if (lsetxattr(path.c_str(), "user.DOSATTRIB", text, static_cast<size_t>(n) + 1, 0) != 0)
        fail("setxattr", path);
}

} // namespace

TreeCounts buildTree(const std::string& root, int64_t totalEntries, uint64_t seed)
{
    SplitMix64 rng{seed};
    TreeCounts counts;
    struct Pending {
        std::string path;
        int depth;
    };
    std::deque<Pending> queue{{root, 0}};
    int64_t made = 0;
    std::string lastFile, lastFolder;

    while (!queue.empty() && made < totalEntries) {
        const Pending folder = std::move(queue.front());
        queue.pop_front();
        for (int i = 0; i < kEntriesPerFolder && made < totalEntries; ++i, ++made) {
            char name[32];
            const bool isFolder = i < kFoldersPerFolder && folder.depth + 1 < kMaxDepth;
            std::snprintf(name, sizeof name, isFolder ? "dir%02d" : "file%03d.dat", i);
            std::string path = folder.path + "/" + name;

            if (made % kLinkEvery == kLinkEvery - 1 && !lastFile.empty()) {
                // Cycle through the three kinds of link the walk must not follow.
                const std::string* target[] = {&lastFile, &lastFolder, &root};
                const std::string& to = *target[(made / kLinkEvery) % 3];
                path = folder.path + "/link" + std::to_string(made);
                if (symlink(to.empty() ? root.c_str() : to.c_str(), path.c_str()) != 0)
                    fail("symlink", path);
                ++counts.links;
                continue;
            }

            if (isFolder) {
                if (mkdir(path.c_str(), 0755) != 0)
                    fail("mkdir", path);
                ++counts.folders;
                queue.push_back({path, folder.depth + 1});
                lastFolder = path;
            } else {
                const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
                if (fd < 0)
                    fail("create", path);
                close(fd);
                ++counts.files;
                lastFile = path;
            }

            const uint64_t roll = rng.next() % 100;
            uint32_t attributes = 0;
            if (roll < 10) {
                attributes = 0x2;
                ++counts.hidden;
            } else if (roll < 12) {
                attributes = 0x4;
                ++counts.system;
            } else if (roll < 13) {
                attributes = 0x6;
                ++counts.hiddenSystem;
            }
            if (attributes)
                setAttributes(path, attributes | 0x20);
        }
    }
    return counts;
}

void removeTree(const std::string& root)
{
    nftw(
        root.c_str(),
        [](const char* p, const struct stat*, int, struct FTW*) {
            ::remove(p);
            return 0;
        },
        64, FTW_DEPTH | FTW_PHYS);
}

} // namespace umbrix::bench
