#include "TreeBuilder.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <dirent.h>
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
// Deep enough for the trees up to a few hundred thousand entries; larger
// ones get as many levels more as they need (see depthFor).
constexpr int kUsualDepth = 6;
constexpr int kLinkEvery = 997;
constexpr const char* kAttributeName = "user.DOSATTRIB";
constexpr uint32_t kHidden = 0x2;
constexpr uint32_t kSystem = 0x4;
constexpr uint32_t kArchive = 0x20;

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

// Samba's text form, with its NUL.
void setAttributes(const std::string& path, uint32_t attributes)
{
    char text[16];
    const int n = std::snprintf(text, sizeof text, "0x%x", attributes);
    if (lsetxattr(path.c_str(), kAttributeName, text, static_cast<size_t>(n) + 1, 0) != 0)
        fail("setxattr", path);
}

// The attribute bits of a text-form value; false when there is no value.
// The tree only ever holds the text form, and a search keeps the form it
// finds.
bool readAttributes(const char* path, uint32_t& attributes)
{
    char value[64];
    const ssize_t n = lgetxattr(path, kAttributeName, value, sizeof value - 1);
    if (n < 0) {
        if (errno == ENODATA)
            return false;
        fail("getxattr", path);
    }
    value[n] = 0;
    if (n < 3 || value[0] != '0' || value[1] != 'x')
        throw std::runtime_error(std::string("not a text attribute value: ") + path);
    attributes = static_cast<uint32_t>(std::strtoul(value + 2, nullptr, 16));
    return true;
}

void tallyFolder(std::string& path, DiskTally& tally)
{
    DIR* dir = opendir(path.c_str());
    if (!dir)
        fail("opendir", path);
    const size_t base = path.size();
    while (const dirent* d = readdir(dir)) {
        if (d->d_name[0] == '.' &&
            (d->d_name[1] == 0 || (d->d_name[1] == '.' && d->d_name[2] == 0)))
            continue;
        ++tally.entries;
        path += '/';
        path += d->d_name;
        struct stat st;
        if (lstat(path.c_str(), &st) != 0)
            fail("lstat", path);
        if (S_ISLNK(st.st_mode)) {
            ++tally.links;
        } else {
            uint32_t attributes = 0;
            if (readAttributes(path.c_str(), attributes)) {
                switch (attributes & (kHidden | kSystem)) {
                case kHidden:
                    ++tally.hidden;
                    break;
                case kSystem:
                    ++tally.system;
                    break;
                case kHidden | kSystem:
                    ++tally.hiddenSystem;
                    break;
                default:
                    ++tally.plainValue;
                    break;
                }
            }
            if (S_ISDIR(st.st_mode))
                tallyFolder(path, tally);
        }
        path.resize(base);
    }
    closedir(dir);
}

// The depth at which folders of kEntriesPerFolder entries, kFoldersPerFolder
// of them folders, can hold `totalEntries`; never less than kUsualDepth, so
// that the usual sizes keep the trees they always had.
int depthFor(int64_t totalEntries)
{
    int depth = kUsualDepth;
    for (;;) {
        int64_t folders = 0;
        int64_t level = 1;
        for (int d = 0; d < depth; ++d, level *= kFoldersPerFolder)
            folders += level;
        if (folders * kEntriesPerFolder >= totalEntries)
            return depth;
        ++depth;
    }
}

} // namespace

BuiltTree buildTree(const std::string& root, int64_t totalEntries, uint64_t seed)
{
    SplitMix64 rng{seed};
    BuiltTree tree;
    TreeCounts& counts = tree.counts;
    struct Pending {
        std::string path;
        int depth;
    };
    std::deque<Pending> queue{{root, 0}};
    int64_t made = 0;
    std::string lastFile, lastFolder;
    const int maxDepth = depthFor(totalEntries);

    while (!queue.empty() && made < totalEntries) {
        const Pending folder = std::move(queue.front());
        queue.pop_front();
        for (int i = 0; i < kEntriesPerFolder && made < totalEntries; ++i, ++made) {
            char name[32];
            const bool isFolder = i < kFoldersPerFolder && folder.depth + 1 < maxDepth;
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
                attributes = kHidden;
                ++counts.hidden;
                tree.hiddenEntries.push_back(path);
            } else if (roll < 12) {
                attributes = kSystem;
                ++counts.system;
            } else if (roll < 13) {
                attributes = kHidden | kSystem;
                ++counts.hiddenSystem;
            }
            if (attributes)
                setAttributes(path, attributes | kArchive);
        }
    }
    return tree;
}

int64_t restoreHidden(const std::vector<std::string>& hiddenEntries)
{
    int64_t unhidden = 0;
    for (const std::string& path : hiddenEntries) {
        uint32_t attributes = 0;
        if (!readAttributes(path.c_str(), attributes) || !(attributes & kHidden))
            ++unhidden;
        setAttributes(path, kHidden | kArchive);
    }
    return unhidden;
}

DiskTally tallyDisk(const std::string& root)
{
    DiskTally tally;
    std::string path = root;
    tallyFolder(path, tally);
    return tally;
}

DiskTally pristineTally(const TreeCounts& counts)
{
    DiskTally tally;
    tally.entries = counts.entries();
    tally.links = counts.links;
    tally.hidden = counts.hidden;
    tally.system = counts.system;
    tally.hiddenSystem = counts.hiddenSystem;
    return tally;
}

DiskTally searchedTally(const TreeCounts& counts)
{
    DiskTally tally = pristineTally(counts);
    tally.plainValue = tally.hidden;
    tally.hidden = 0;
    return tally;
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
