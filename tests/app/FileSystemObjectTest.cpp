#include "app/FileSystemObject.h"
#include "platform/AttributeStore.h"
#include "platform/Error.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace umbrix {
namespace {

using test::exists;
using test::makeDir;
using test::makeFile;

std::string readFile(const std::string& path)
{
    std::string content;
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return "<unreadable>";
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        content.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    return content;
}

mode_t modeOf(const std::string& path)
{
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st.st_mode;
}

std::string linkTarget(const std::string& path)
{
    char buffer[4096];
    const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer);
    return n < 0 ? std::string("<not a link>") : std::string(buffer, static_cast<std::size_t>(n));
}

std::string xattr(const std::string& path, const char* name)
{
    char buffer[1024];
    const ssize_t n = ::lgetxattr(path.c_str(), name, buffer, sizeof buffer);
    return n < 0 ? std::string("<none>") : std::string(buffer, static_cast<std::size_t>(n));
}

std::vector<std::string> namesIn(const std::string& path)
{
    std::vector<std::string> names;
    if (DIR* d = ::opendir(path.c_str())) {
        while (const dirent* e = ::readdir(d)) {
            const std::string name = e->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

template <typename Call>
Error errorOf(Call call)
{
    try {
        call();
    } catch (const Error& e) {
        return e;
    }
    ADD_FAILURE() << "no error raised";
    return {};
}

// A mount made by the test and undone at its end (before the temporary
// folder goes).  Tests that need one are skipped where mounting is refused.
class ScopedMount {
public:
    ScopedMount(const std::string& source, const std::string& target, const char* type,
                unsigned long flags, const char* options = nullptr)
        : target_(target)
    {
        mounted_ = ::mount(source.c_str(), target.c_str(), type, flags, options) == 0;
    }
    ~ScopedMount()
    {
        if (mounted_)
            ::umount2(target_.c_str(), MNT_DETACH);
    }
    ScopedMount(const ScopedMount&) = delete;
    ScopedMount& operator=(const ScopedMount&) = delete;
    bool mounted() const { return mounted_; }

private:
    std::string target_;
    bool mounted_ = false;
};

class FileSystemObjectTest : public ::testing::Test {
protected:
    test::TempDir dir;
    FileSystemObject fso;
};

// --- copying files ---------------------------------------------------------

TEST_F(FileSystemObjectTest, CopyFileKeepsContentModeTimeAndDosAttributes)
{
    const std::string source = dir / "source.txt";
    makeFile(source, "hello");
    ASSERT_EQ(::chmod(source.c_str(), 0640), 0);
    test::setDosAttrib(source, 0x2 | 0x20);
    ASSERT_EQ(::setxattr(source.c_str(), "user.note", "n", 1, 0), 0);
    const timespec times[2] = {{0, UTIME_OMIT}, {1'000'000'000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, source.c_str(), times, 0), 0);

    fso.CopyFile(source, dir / "copy.txt", true);

    EXPECT_EQ(readFile(dir / "copy.txt"), "hello");
    EXPECT_EQ(modeOf(dir / "copy.txt") & 07777, 0640u);
    EXPECT_EQ(test::rawDosAttrib(dir / "copy.txt"), test::rawDosAttrib(source));
    EXPECT_EQ(xattr(dir / "copy.txt", "user.note"), "n");
    struct stat st {};
    ASSERT_EQ(::stat((dir / "copy.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1'000'000'000);
    uint32_t word = 0;
    ASSERT_EQ(platform::queryAttributes(dir / "copy.txt", word), 0);
    EXPECT_EQ(word & platform::Attr::Hidden, platform::Attr::Hidden);
}

TEST_F(FileSystemObjectTest, CopyFileIntoAFolderWithTrailingSeparator)
{
    makeFile(dir / "a.txt", "a");
    makeDir(dir / "target");
    fso.CopyFile(dir / "a.txt", dir.path() + "/target/", true);
    EXPECT_EQ(readFile(dir / "target/a.txt"), "a");
}

TEST_F(FileSystemObjectTest, CopyFileReplacesOnlyWhenAllowed)
{
    makeFile(dir / "new.txt", "new");
    makeFile(dir / "old.txt", "old content");
    ASSERT_EQ(::chmod((dir / "old.txt").c_str(), 0444), 0);

    const Error refused = errorOf([&] { fso.CopyFile(dir / "new.txt", dir / "old.txt", false); });
    EXPECT_EQ(refused.number, errorNumberFromErrno(EEXIST));
    EXPECT_NE(refused.description.find(dir / "old.txt"), std::string::npos) << refused.description;
    EXPECT_EQ(readFile(dir / "old.txt"), "old content");

    // A read-only target is replaced too: the caller asked for it.
    fso.CopyFile(dir / "new.txt", dir / "old.txt", true);
    EXPECT_EQ(readFile(dir / "old.txt"), "new");
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"new.txt", "old.txt"}));
}

TEST_F(FileSystemObjectTest, CopyFileFailures)
{
    makeFile(dir / "a.txt", "a");
    makeDir(dir / "folder");

    Error e = errorOf([&] { fso.CopyFile(dir / "missing", dir / "x", true); });
    EXPECT_EQ(e.number, ErrorNumber::FileNotFound);
    EXPECT_EQ(e.description, std::strerror(ENOENT));

    e = errorOf([&] { fso.CopyFile(dir / "folder", dir / "x", true); });
    EXPECT_EQ(e.number, errorNumberFromErrno(EISDIR));
    EXPECT_FALSE(exists(dir / "x"));

    // An existing folder at the target is never replaced by a file.
    e = errorOf([&] { fso.CopyFile(dir / "a.txt", dir / "folder", true); });
    EXPECT_EQ(e.number, errorNumberFromErrno(EISDIR));
    EXPECT_TRUE(namesIn(dir / "folder").empty());

    e = errorOf([&] { fso.CopyFile(dir / "a.txt", dir / "nowhere/a.txt", true); });
    EXPECT_EQ(e.number, ErrorNumber::FileNotFound);
    EXPECT_NE(e.description.find("nowhere/a.txt"), std::string::npos) << e.description;

    e = errorOf([&] { fso.CopyFile(dir / "a.txt", dir / "a.txt", true); });
    EXPECT_EQ(e.number, ErrorNumber::InvalidArgument);
    EXPECT_EQ(readFile(dir / "a.txt"), "a");
}

TEST_F(FileSystemObjectTest, CopyFileCopiesLinksAsLinks)
{
    makeDir(dir / "outside");
    makeFile(dir / "outside/data.txt", "precious");
    ASSERT_EQ(::symlink("outside/data.txt", (dir / "link").c_str()), 0);
    ASSERT_EQ(::symlink("/no/such/place", (dir / "dangling").c_str()), 0);

    fso.CopyFile(dir / "link", dir / "linkcopy", true);
    fso.CopyFile(dir / "dangling", dir / "danglingcopy", true);
    EXPECT_TRUE(S_ISLNK(modeOf(dir / "linkcopy")));
    EXPECT_EQ(linkTarget(dir / "linkcopy"), "outside/data.txt");
    EXPECT_EQ(linkTarget(dir / "danglingcopy"), "/no/such/place");

    // A link at the target is replaced, never written through.
    makeFile(dir / "plain.txt", "plain");
    fso.CopyFile(dir / "plain.txt", dir / "linkcopy", true);
    EXPECT_TRUE(S_ISREG(modeOf(dir / "linkcopy")));
    EXPECT_EQ(readFile(dir / "linkcopy"), "plain");
    EXPECT_EQ(readFile(dir / "outside/data.txt"), "precious");
}

TEST_F(FileSystemObjectTest, CopyFileOfLargeAndSizelessFiles)
{
    std::string big(5 * 1024 * 1024 + 123, '\0');
    std::mt19937 random(42);
    for (char& c : big)
        c = static_cast<char>(random());
    const int fd = ::open((dir / "big.bin").c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, big.data(), big.size()), static_cast<ssize_t>(big.size()));
    ::close(fd);
    fso.CopyFile(dir / "big.bin", dir / "big.copy", true);
    EXPECT_TRUE(readFile(dir / "big.copy") == big);

    // procfs reports size 0 for files that do have content.
    fso.CopyFile("/proc/self/status", dir / "status", true);
    EXPECT_NE(readFile(dir / "status").find("Name:"), std::string::npos);

    makeFile(dir / "empty");
    fso.CopyFile(dir / "empty", dir / "empty.copy", true);
    EXPECT_EQ(readFile(dir / "empty.copy"), "");
}

TEST_F(FileSystemObjectTest, FailedCopyLeavesTheOldTargetAndNoDebris)
{
    makeDir(dir / "small");
    const ScopedMount mount("none", dir / "small", "tmpfs", 0, "size=64k");
    if (!mount.mounted())
        GTEST_SKIP() << "cannot mount here: " << std::strerror(errno);
    makeFile(dir / "small/target.bin", "old");
    makeFile(dir / "big.bin", std::string(1024 * 1024, 'x'));

    const Error e = errorOf([&] { fso.CopyFile(dir / "big.bin", dir / "small/target.bin", true); });
    EXPECT_EQ(e.number, errorNumberFromErrno(ENOSPC));
    EXPECT_NE(e.description.find("target.bin"), std::string::npos) << e.description;
    EXPECT_EQ(readFile(dir / "small/target.bin"), "old");
    EXPECT_EQ(namesIn(dir / "small"), std::vector<std::string>{"target.bin"});
}

// --- copying folders -------------------------------------------------------

class FolderCopyTest : public FileSystemObjectTest {
protected:
    void SetUp() override
    {
        makeDir(dir / "outside");
        makeFile(dir / "outside/keep.txt", "outside");
        makeDir(dir / "src");
        makeFile(dir / "src/top.txt", "top");
        makeDir(dir / "src/a");
        makeDir(dir / "src/a/b");
        makeFile(dir / "src/a/b/deep.txt", "deep");
        makeDir(dir / "src/ro");
        makeFile(dir / "src/ro/inside.txt", "inside");
        ASSERT_EQ(::chmod((dir / "src/ro").c_str(), 0555), 0);
        ASSERT_EQ(::symlink("../outside", (dir / "src/a/rel").c_str()), 0);
        ASSERT_EQ(::symlink((dir / "outside").c_str(), (dir / "src/abs").c_str()), 0);
        ASSERT_EQ(::mkfifo((dir / "src/pipe").c_str(), 0600), 0);
        makeFile(dir / "src/\xff\xfe.bin", "bytes");
        test::setDosAttrib(dir / "src/a", 0x2);
    }
};

TEST_F(FolderCopyTest, CopiesTheWholeTreeWithLinksKeptAsLinks)
{
    fso.CopyFolder(dir / "src", dir / "dst", true);

    EXPECT_EQ(namesIn(dir / "dst"), namesIn(dir / "src"));
    EXPECT_EQ(readFile(dir / "dst/top.txt"), "top");
    EXPECT_EQ(readFile(dir / "dst/a/b/deep.txt"), "deep");
    EXPECT_EQ(readFile(dir / "dst/ro/inside.txt"), "inside");
    EXPECT_EQ(readFile(dir / "dst/\xff\xfe.bin"), "bytes");
    EXPECT_EQ(modeOf(dir / "dst/ro") & 07777, 0555u);
    EXPECT_TRUE(S_ISFIFO(modeOf(dir / "dst/pipe")));
    EXPECT_EQ(test::rawDosAttrib(dir / "dst/a"), test::rawDosAttrib(dir / "src/a"));

    EXPECT_EQ(linkTarget(dir / "dst/a/rel"), "../outside");
    EXPECT_EQ(linkTarget(dir / "dst/abs"), dir / "outside");
    // The folders behind the links were not copied into the tree.
    EXPECT_EQ(namesIn(dir / "outside"), std::vector<std::string>{"keep.txt"});
    EXPECT_TRUE(S_ISLNK(modeOf(dir / "dst/abs")));
}

TEST_F(FolderCopyTest, TrailingSeparatorCopiesIntoTheFolder)
{
    makeDir(dir / "into");
    fso.CopyFolder(dir / "src", dir.path() + "/into/", true);
    EXPECT_EQ(readFile(dir / "into/src/a/b/deep.txt"), "deep");
}

TEST_F(FolderCopyTest, MergesIntoAnExistingFolder)
{
    makeDir(dir / "dst");
    makeFile(dir / "dst/top.txt", "old top");
    makeFile(dir / "dst/mine.txt", "mine");

    const Error e = errorOf([&] { fso.CopyFolder(dir / "src", dir / "dst", false); });
    EXPECT_EQ(e.number, errorNumberFromErrno(EEXIST));
    EXPECT_EQ(readFile(dir / "dst/top.txt"), "old top");

    fso.CopyFolder(dir / "src", dir / "dst", true);
    EXPECT_EQ(readFile(dir / "dst/top.txt"), "top");
    EXPECT_EQ(readFile(dir / "dst/mine.txt"), "mine");
    EXPECT_EQ(readFile(dir / "dst/a/b/deep.txt"), "deep");
}

TEST_F(FolderCopyTest, RefusesToCopyIntoItself)
{
    const auto before = namesIn(dir / "src");
    ASSERT_EQ(::symlink((dir / "src/a").c_str(), (dir / "alias").c_str()), 0);
    for (const std::string& target :
         {dir / "src", dir / "src/copy", dir / "src/a/b/copy", dir / "alias/copy", dir / "src/"}) {
        const Error e = errorOf([&] { fso.CopyFolder(dir / "src", target, true); });
        EXPECT_EQ(e.number, ErrorNumber::InvalidArgument) << target;
        EXPECT_NE(e.description.find("into itself"), std::string::npos) << e.description;
    }
    EXPECT_EQ(namesIn(dir / "src"), before);
    EXPECT_EQ(namesIn(dir / "src/a"), (std::vector<std::string>{"b", "rel"}));

    // Beside itself is fine.
    fso.CopyFolder(dir / "src/a", dir / "src/a2", true);
    EXPECT_EQ(readFile(dir / "src/a2/b/deep.txt"), "deep");
}

TEST_F(FolderCopyTest, StopsAtAFolderMountedInsideItself)
{
    makeDir(dir / "src/a/loop");
    const ScopedMount mount(dir / "src", dir / "src/a/loop", nullptr, MS_BIND);
    if (!mount.mounted())
        GTEST_SKIP() << "cannot mount here: " << std::strerror(errno);
    const Error e = errorOf([&] { fso.CopyFolder(dir / "src", dir / "dst", true); });
    EXPECT_EQ(e.number, errorNumberFromErrno(ELOOP));
    EXPECT_NE(e.description.find("src/a/loop"), std::string::npos) << e.description;
}

TEST_F(FolderCopyTest, SourceMustBeAFolder)
{
    ASSERT_EQ(::symlink((dir / "src").c_str(), (dir / "srclink").c_str()), 0);
    EXPECT_EQ(errorOf([&] { fso.CopyFolder(dir / "srclink", dir / "dst", true); }).number,
              ErrorNumber::PathNotFound);
    EXPECT_EQ(errorOf([&] { fso.CopyFolder(dir / "src/top.txt", dir / "dst", true); }).number,
              ErrorNumber::PathNotFound);
    EXPECT_EQ(errorOf([&] { fso.CopyFolder(dir / "missing", dir / "dst", true); }).number,
              ErrorNumber::FileNotFound);
    makeFile(dir / "dst");
    EXPECT_EQ(errorOf([&] { fso.CopyFolder(dir / "src", dir / "dst", true); }).number,
              ErrorNumber::PathNotFound);
    EXPECT_EQ(readFile(dir / "dst"), "");
}

// --- objects, listing and deleting -----------------------------------------

TEST_F(FileSystemObjectTest, GetFileAndGetFolderCheckWhatTheyAreGiven)
{
    makeFile(dir / "a.txt");
    makeDir(dir / "folder");
    ASSERT_EQ(::symlink((dir / "folder").c_str(), (dir / "folderlink").c_str()), 0);

    EXPECT_EQ(fso.GetFile(dir / "a.txt").Path(), dir / "a.txt");
    EXPECT_EQ(fso.GetFolder(dir / "folder").Path(), dir / "folder");
    EXPECT_EQ(fso.GetFile(dir / "folderlink").Path(), dir / "folderlink");
    EXPECT_EQ(errorOf([&] { fso.GetFolder(dir / "folderlink"); }).number, ErrorNumber::PathNotFound);
    EXPECT_EQ(errorOf([&] { fso.GetFolder(dir / "a.txt"); }).number, ErrorNumber::PathNotFound);
    EXPECT_EQ(errorOf([&] { fso.GetFile(dir / "folder"); }).number, errorNumberFromErrno(EISDIR));
    const Error missing = errorOf([&] { fso.GetFile(dir / "missing"); });
    EXPECT_EQ(missing.number, ErrorNumber::FileNotFound);
    EXPECT_EQ(missing.description, std::strerror(ENOENT));

    EXPECT_TRUE(fso.FileExists(dir / "a.txt"));
    EXPECT_TRUE(fso.FileExists(dir / "folderlink"));
    EXPECT_FALSE(fso.FileExists(dir / "folder"));
    EXPECT_TRUE(fso.FolderExists(dir / "folder"));
    EXPECT_TRUE(fso.FolderExists(dir / "folder/"));
    EXPECT_FALSE(fso.FolderExists(dir / "folderlink"));
    EXPECT_FALSE(fso.FolderExists(dir / "folderlink/"));
    EXPECT_FALSE(fso.FolderExists(dir / "a.txt"));
}

TEST_F(FileSystemObjectTest, FilesAndSubFoldersListDirectEntries)
{
    makeDir(dir / "f");
    makeFile(dir / "f/one.txt");
    makeFile(dir / "f/\xff.bin");
    makeDir(dir / "f/sub");
    makeFile(dir / "f/sub/nested.txt");
    ASSERT_EQ(::symlink((dir / "f/sub").c_str(), (dir / "f/sublink").c_str()), 0);

    for (const std::string& given : {dir / "f", dir / "f/"}) {
        const auto folder = fso.GetFolder(given);
        std::vector<std::string> files;
        for (const auto& file : folder.Files())
            files.push_back(file.Path());
        std::sort(files.begin(), files.end());
        EXPECT_EQ(files, (std::vector<std::string>{dir / "f/one.txt", dir / "f/sublink",
                                                   dir / "f/\xff.bin"}));
        const auto subFolders = folder.SubFolders();
        ASSERT_EQ(subFolders.size(), 1u);
        EXPECT_EQ(subFolders[0].Path(), dir / "f/sub");
    }
}

TEST_F(FileSystemObjectTest, DeleteFileHonoursReadOnlyUnlessForced)
{
    makeFile(dir / "ro.txt", "x");
    test::setDosAttrib(dir / "ro.txt", 0x1 | 0x2);

    const Error e = errorOf([&] { fso.GetFile(dir / "ro.txt").Delete(false); });
    EXPECT_EQ(e.number, ErrorNumber::PermissionDenied);
    EXPECT_EQ(e.description, "Permission denied");
    EXPECT_TRUE(exists(dir / "ro.txt"));

    fso.GetFile(dir / "ro.txt").Delete(true);
    EXPECT_FALSE(exists(dir / "ro.txt"));

    makeFile(dir / "mode.txt");
    ASSERT_EQ(::chmod((dir / "mode.txt").c_str(), 0444), 0);
    fso.GetFile(dir / "mode.txt").Delete(true);
    EXPECT_FALSE(exists(dir / "mode.txt"));

    makeFile(dir / "plain.txt");
    const auto gone = fso.GetFile(dir / "plain.txt");
    ASSERT_EQ(::unlink((dir / "plain.txt").c_str()), 0);
    EXPECT_EQ(errorOf([&] { gone.Delete(true); }).number, ErrorNumber::FileNotFound);
}

TEST_F(FileSystemObjectTest, DeleteALinkRemovesOnlyTheLink)
{
    makeDir(dir / "outside");
    makeFile(dir / "outside/keep.txt", "keep");
    ASSERT_EQ(::symlink((dir / "outside").c_str(), (dir / "link").c_str()), 0);
    fso.GetFile(dir / "link").Delete(true);
    EXPECT_FALSE(exists(dir / "link"));
    EXPECT_EQ(readFile(dir / "outside/keep.txt"), "keep");
}

TEST_F(FileSystemObjectTest, DeleteFolderRemovesReadOnlyTrees)
{
    makeDir(dir / "t");
    makeDir(dir / "t/a");
    makeDir(dir / "t/a/b");
    makeFile(dir / "t/a/b/f.txt", "f");
    makeFile(dir / "t/\xfe\xff", "g");
    ASSERT_EQ(::mkfifo((dir / "t/a/pipe").c_str(), 0600), 0);
    test::setDosAttrib(dir / "t/a/b/f.txt", 0x1 | 0x4);
    ASSERT_EQ(::chmod((dir / "t/a/b/f.txt").c_str(), 0444), 0);
    ASSERT_EQ(::chmod((dir / "t/a/b").c_str(), 0500), 0);
    ASSERT_EQ(::chmod((dir / "t/a").c_str(), 0000), 0);
    ASSERT_EQ(::chmod((dir / "t").c_str(), 0555), 0);

    fso.GetFolder(dir / "t").Delete(true);
    EXPECT_FALSE(exists(dir / "t"));
}

TEST_F(FileSystemObjectTest, UnforcedFolderDeleteStopsAtReadOnlyEntries)
{
    makeDir(dir / "t");
    makeDir(dir / "t/sub");
    makeFile(dir / "t/sub/ro.txt");
    test::setDosAttrib(dir / "t/sub/ro.txt", 0x1);

    const Error e = errorOf([&] { fso.GetFolder(dir / "t/").Delete(false); });
    EXPECT_EQ(e.number, ErrorNumber::PermissionDenied);
    EXPECT_NE(e.description.find("t/sub/ro.txt"), std::string::npos) << e.description;
    EXPECT_TRUE(exists(dir / "t/sub/ro.txt"));

    fso.GetFolder(dir / "t/").Delete(true);
    EXPECT_FALSE(exists(dir / "t"));
}

TEST_F(FileSystemObjectTest, DeleteFolderNeverFollowsLinks)
{
    makeDir(dir / "outside");
    makeDir(dir / "outside/deeper");
    makeFile(dir / "outside/deeper/keep.txt", "keep");
    ASSERT_EQ(::chmod((dir / "outside/deeper/keep.txt").c_str(), 0444), 0);
    makeDir(dir / "t");
    makeDir(dir / "t/sub");
    ASSERT_EQ(::symlink((dir / "outside").c_str(), (dir / "t/sub/abs").c_str()), 0);
    ASSERT_EQ(::symlink("../../outside", (dir / "t/sub/rel").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "outside/deeper/keep.txt").c_str(), (dir / "t/file").c_str()), 0);

    fso.GetFolder(dir / "t").Delete(true);
    EXPECT_FALSE(exists(dir / "t"));
    EXPECT_EQ(readFile(dir / "outside/deeper/keep.txt"), "keep");
    EXPECT_EQ(modeOf(dir / "outside/deeper/keep.txt") & 0777, 0444u);
}

TEST_F(FileSystemObjectTest, DeleteFolderStopsAtMountPoints)
{
    makeDir(dir / "t");
    makeDir(dir / "t/vol");
    makeDir(dir / "t/bind");
    makeDir(dir / "elsewhere");
    makeFile(dir / "elsewhere/keep.txt", "keep");
    const ScopedMount volume("none", dir / "t/vol", "tmpfs", 0);
    if (!volume.mounted())
        GTEST_SKIP() << "cannot mount here: " << std::strerror(errno);
    makeFile(dir / "t/vol/onvolume.txt", "volume");
    // Same filesystem, so only the mount id tells it apart.
    const ScopedMount bind(dir / "elsewhere", dir / "t/bind", nullptr, MS_BIND);
    ASSERT_TRUE(bind.mounted());

    const auto folder = fso.GetFolder(dir / "t");
    EXPECT_TRUE(folder.SubFolders().empty());
    EXPECT_TRUE(folder.Files().empty());

    const Error e = errorOf([&] { folder.Delete(true); });
    EXPECT_EQ(e.number, ErrorNumber::PathFileAccess);
    EXPECT_NE(e.description.find("mount point"), std::string::npos) << e.description;
    EXPECT_EQ(readFile(dir / "t/vol/onvolume.txt"), "volume");
    EXPECT_EQ(readFile(dir / "elsewhere/keep.txt"), "keep");

    // Nor is a mounted folder itself emptied.
    const Error top = errorOf([&] { fso.GetFolder(dir / "t/vol").Delete(true); });
    EXPECT_EQ(top.number, ErrorNumber::PathFileAccess);
    EXPECT_EQ(readFile(dir / "t/vol/onvolume.txt"), "volume");
}

} // namespace
} // namespace umbrix
