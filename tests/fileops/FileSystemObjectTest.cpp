#include "fileops/FileSystemObject.h"

#include "platform/AttributeStore.h"
#include "platform/DirectoryReader.h"
#include "platform/DosAttribCodec.h"
#include "platform/Error.h"
#include "platform/FaultInjection.h"
#include "support/NtfsVolume.h" // findTool, readTextFile, runTool
#include "support/SambaTool.h"
#include "support/SmbServer.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace umbrix {
namespace {

using test::errorOf;
using test::exists;
using test::linkTarget;
using test::makeDir;
using test::makeFile;
using test::makeTree;
using test::modeOf;
using test::readTextFile;
using test::ScopedMount;
using Names = std::vector<std::string>;
namespace Attr = platform::Attr;

Names namesIn(const std::string& path)
{
    Names names;
    platform::DirectoryReader reader(path);
    for (platform::DirectoryReader::Entry e; reader.nextChild(e);)
        names.emplace_back(e.name);
    std::sort(names.begin(), names.end());
    return names;
}

class FileSystemObjectTest : public ::testing::Test {
protected:
    test::TempDir dir;
    FileSystemObject fso;
};

TEST_F(FileSystemObjectTest, CopyFileCarriesContentModeTimeAndExtendedAttributes)
{
    const std::string source = dir / "source.txt";
    makeFile(source, "hello");
    ASSERT_EQ(::chmod(source.c_str(), 0640), 0);
    ASSERT_EQ(::setxattr(source.c_str(), "user.note", "n", 1, 0), 0);
    const timespec times[2] = {{0, UTIME_OMIT}, {1'000'000'000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, source.c_str(), times, 0), 0);
    makeDir(dir / "into");

    fso.CopyFile(source, dir / "copy.txt", true);
    // A trailing separator names the folder to copy into.
    fso.CopyFile(source, dir / "into/", true);
    for (const std::string& copy : {dir / "copy.txt", dir / "into/source.txt"}) {
        EXPECT_EQ(readTextFile(copy), "hello");
        EXPECT_EQ(modeOf(copy) & 07777, 0640u);
        char note = 0;
        EXPECT_EQ(::getxattr(copy.c_str(), "user.note", &note, 1), 1);
        EXPECT_EQ(note, 'n');
        struct stat st {};
        ASSERT_EQ(::stat(copy.c_str(), &st), 0);
        EXPECT_EQ(st.st_mtim.tv_sec, 1'000'000'000);
    }

    // Large, empty, and a procfs file that says it has no size but has content.
    std::string big;
    for (int i = 0; big.size() < 5 * 1024 * 1024; ++i)
        big += std::to_string(i) + (i % 7 ? " " : "\n");
    makeFile(dir / "big.bin", big);
    makeFile(dir / "empty");
    fso.CopyFile(dir / "big.bin", dir / "big.copy", true);
    fso.CopyFile(dir / "empty", dir / "empty.copy", true);
    fso.CopyFile("/proc/self/status", dir / "status", true);
    EXPECT_TRUE(readTextFile(dir / "big.copy") == big);
    EXPECT_TRUE(S_ISREG(modeOf(dir / "empty.copy")));
    EXPECT_EQ(readTextFile(dir / "empty.copy"), "");
    EXPECT_NE(readTextFile(dir / "status").find("Name:"), std::string::npos);

    // A sparse file keeps its holes: 1 GiB with a few bytes at each end.
    makeFile(dir / "sparse", "head");
    ASSERT_EQ(::truncate((dir / "sparse").c_str(), off_t{1} << 30), 0);
    fso.CopyFile(dir / "sparse", dir / "sparse.copy", true);
    struct stat copied {};
    ASSERT_EQ(::stat((dir / "sparse.copy").c_str(), &copied), 0);
    EXPECT_EQ(copied.st_size, off_t{1} << 30);
    EXPECT_LT(copied.st_blocks, 1024) << "the copy is allocated in full";
}

// Links are copied as links, dangling or not; a link at the target is
// replaced and what it pointed at stays as it was.  A failure names what
// failed and changes nothing.
TEST_F(FileSystemObjectTest, CopyFileReplacesOnlyWhenAllowedAndNeverWritesThroughALink)
{
    makeTree(dir.path(), {"new.txt=new", "old.txt=old", "data.txt=precious", "link -> data.txt",
                          "dangling -> /no/such/place", "folder/", "r=old", "h=old", "s=old"});
    // A read-only, hidden or system file is never replaced.
    const std::pair<const char*, uint32_t> kept[] = {
        {"r", Attr::ReadOnly}, {"h", Attr::Hidden}, {"s", Attr::System}};
    for (const auto& [name, attribute] : kept)
        test::setDosAttrib(dir / name, attribute);
    const struct {
        std::string source, target;
        bool overwrite;
        int32_t number;    // 0: copied
        std::string named; // part of the description
    } cases[] = {{"new.txt", "old.txt", true, 0, ""},
                 {"link", "linkcopy", true, 0, ""},
                 {"link", "linkkept", true, 0, ""},
                 {"dangling", "danglingcopy", true, 0, ""},
                 {"missing", "x", true, ErrorNumber::FileNotFound, std::strerror(ENOENT)},
                 {"folder", "x", true, errorNumberFromErrno(EISDIR), ""},
                 // An existing folder at the target is never replaced by a file.
                 {"new.txt", "folder", true, errorNumberFromErrno(EISDIR), ""},
                 {"new.txt", "nowhere/a.txt", true, ErrorNumber::FileNotFound, "nowhere/a.txt"},
                 {"new.txt", "new.txt", true, ErrorNumber::InvalidArgument, ""},
                 {"data.txt", "old.txt", false, errorNumberFromErrno(EEXIST), dir / "old.txt"},
                 {"new.txt", "r", true, errorNumberFromErrno(EACCES), dir / "r"},
                 {"new.txt", "h", true, errorNumberFromErrno(EACCES), dir / "h"},
                 {"new.txt", "s", true, errorNumberFromErrno(EACCES), dir / "s"},
                 {"new.txt", "linkcopy", true, 0, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source + " to " + c.target);
        const auto copy = [&] { fso.CopyFile(dir / c.source, dir / c.target, c.overwrite); };
        if (c.number == 0) {
            copy();
            continue;
        }
        const Error e = errorOf(copy);
        EXPECT_EQ(e.number, c.number);
        EXPECT_NE(e.description.find(c.named), std::string::npos) << e.description;
    }
    EXPECT_EQ(readTextFile(dir / "old.txt") + readTextFile(dir / "data.txt"), "newprecious");
    EXPECT_EQ(linkTarget(dir / "danglingcopy"), "/no/such/place");
    EXPECT_EQ(linkTarget(dir / "linkkept"), "data.txt");
    EXPECT_TRUE(S_ISREG(modeOf(dir / "linkcopy")));
    for (const auto& [name, attribute] : kept) {
        EXPECT_EQ(readTextFile(dir / name), "old");
        EXPECT_EQ(test::storedWord(dir / name), attribute);
    }
    EXPECT_EQ(namesIn(dir.path()), (Names{"dangling", "danglingcopy", "data.txt", "folder", "h",
                                          "link", "linkcopy", "linkkept", "new.txt", "old.txt",
                                          "r", "s"}));
    EXPECT_TRUE(namesIn(dir / "folder").empty());
}

TEST_F(FileSystemObjectTest, FailedCopyLeavesTheOldTargetAndNoDebris)
{
    makeDir(dir / "small");
    const ScopedMount mount("none", dir / "small", "tmpfs", 0, "size=64k");
    if (!mount.mounted())
        GTEST_SKIP() << mount.reason();
    makeFile(dir / "small/target.bin", "old");
    makeFile(dir / "big.bin", std::string(1024 * 1024, 'x'));

    const Error e = errorOf([&] { fso.CopyFile(dir / "big.bin", dir / "small/target.bin", true); });
    EXPECT_EQ(e.number, errorNumberFromErrno(ENOSPC));
    EXPECT_NE(e.description.find("target.bin"), std::string::npos) << e.description;
    EXPECT_EQ(readTextFile(dir / "small/target.bin"), "old");
    EXPECT_EQ(namesIn(dir / "small"), Names{"target.bin"});
}

class FolderCopyTest : public FileSystemObjectTest {
protected:
    void SetUp() override
    {
        makeTree(dir.path(),
                 {"outside/", "outside/keep.txt=outside", "src/", "src/top.txt=top", "src/a/",
                  "src/a/b/", "src/a/b/deep.txt=deep", "src/ro/", "src/ro/inside.txt=inside",
                  "src/a/rel -> ../outside", "src/abs -> " + dir / "outside",
                  "src/\xff\xfe.bin=bytes", "src/..x=dots"});
        ASSERT_EQ(::chmod((dir / "src/ro").c_str(), 0555), 0);
        ASSERT_EQ(::mkfifo((dir / "src/pipe").c_str(), 0600), 0);
    }
};

TEST_F(FolderCopyTest, CopiesTheWholeTreeWithLinksKeptAsLinksAndMergesIntoAnExistingFolder)
{
    makeTree(dir.path(), {"into/", "dst/", "dst/top.txt=old top", "dst/mine.txt=mine"});
    EXPECT_EQ(errorOf([&] { fso.CopyFolder(dir / "src", dir / "dst", false); }).number,
              errorNumberFromErrno(EEXIST));
    EXPECT_EQ(readTextFile(dir / "dst/top.txt"), "old top");
    // A folder already there (as a failed attempt leaves it) takes the
    // source's mode and attributes too.
    ASSERT_EQ(::chmod((dir / "src").c_str(), 0750), 0);
    ASSERT_EQ(::setxattr((dir / "src").c_str(), "user.note", "n", 1, 0), 0);
    fso.CopyFolder(dir / "src", dir / "dst", true);
    EXPECT_EQ(modeOf(dir / "dst") & 07777, 0750u);
    EXPECT_EQ(::getxattr((dir / "dst").c_str(), "user.note", nullptr, 0), 1);
    EXPECT_EQ(readTextFile(dir / "dst/mine.txt"), "mine");
    ASSERT_EQ(::unlink((dir / "dst/mine.txt").c_str()), 0);
    // A trailing separator names the folder to copy into.
    fso.CopyFolder(dir / "src", dir / "into/", true);
    const std::string diff = test::findTool("diff");
    ASSERT_FALSE(diff.empty()) << "diff (diffutils) is part of every Debian system";
    for (const std::string& dst : {dir / "dst", dir / "into/src"}) {
        // GNU diff judges names, contents and link targets of the whole tree;
        // it cannot compare FIFOs, which are looked at apart.
        const std::string log = dir / "diff.log";
        EXPECT_EQ(
            test::runTool(diff, {"-r", "--no-dereference", "-x", "pipe", dir / "src", dst}, log), 0)
            << readTextFile(log);
        EXPECT_TRUE(S_ISFIFO(modeOf(dst + "/pipe")));
        EXPECT_EQ(modeOf(dst + "/ro") & 07777, 0555u);
    }
    // Nothing was copied into the folder behind the links.
    EXPECT_EQ(namesIn(dir / "outside"), Names{"keep.txt"});
}

TEST_F(FolderCopyTest, RefusesToCopyIntoItselfOrFromWhatIsNoFolder)
{
    const Names before = namesIn(dir / "src");
    ASSERT_EQ(::symlink((dir / "src/a").c_str(), (dir / "alias").c_str()), 0);
    for (const std::string& target :
         {dir / "src", dir / "src/copy", dir / "src/a/b/copy", dir / "alias/copy", dir / "src/"}) {
        const Error e = errorOf([&] { fso.CopyFolder(dir / "src", target, true); });
        EXPECT_EQ(e.number, ErrorNumber::InvalidArgument) << target;
        EXPECT_NE(e.description.find("into itself"), std::string::npos) << e.description;
    }
    EXPECT_EQ(namesIn(dir / "src"), before);
    EXPECT_EQ(namesIn(dir / "src/a"), (Names{"b", "rel"}));
    // Beside itself is fine.
    fso.CopyFolder(dir / "src/a", dir / "src/a2", true);
    EXPECT_EQ(readTextFile(dir / "src/a2/b/deep.txt"), "deep");

    // A link to a folder, a file or nothing is no folder to copy, nor is a
    // file a folder to copy into.
    ASSERT_EQ(::symlink((dir / "src").c_str(), (dir / "srclink").c_str()), 0);
    makeFile(dir / "dst");
    const std::pair<std::string, int32_t> sources[] = {
        {dir / "srclink", ErrorNumber::PathNotFound},
        {dir / "src/top.txt", ErrorNumber::PathNotFound},
        {dir / "missing", ErrorNumber::FileNotFound}};
    for (const auto& [source, number] : sources)
        EXPECT_EQ(errorOf([&] { fso.CopyFolder(source, dir / "new", true); }).number, number);
    EXPECT_EQ(errorOf([&] { fso.CopyFolder(dir / "src", dir / "dst", true); }).number,
              ErrorNumber::PathNotFound);
    EXPECT_FALSE(exists(dir / "new"));
    EXPECT_TRUE(S_ISREG(modeOf(dir / "dst")));
}

TEST_F(FolderCopyTest, StopsAtAFolderMountedInsideItself)
{
    makeDir(dir / "src/a/loop");
    const ScopedMount mount(dir / "src", dir / "src/a/loop", nullptr, MS_BIND);
    if (!mount.mounted())
        GTEST_SKIP() << mount.reason();
    const Error e = errorOf([&] { fso.CopyFolder(dir / "src", dir / "dst", true); });
    EXPECT_EQ(e.number, errorNumberFromErrno(ELOOP));
    EXPECT_NE(e.description.find("src/a/loop"), std::string::npos) << e.description;
}

TEST_F(FolderCopyTest, AFolderThatCannotBeOpenedStopsCopyAndDeleteWithItsError)
{
    const std::string blocked = dir / "src/a/b";
    const std::pair<const char*, std::function<void()>> operations[] = {
        {"copy", [&] { fso.CopyFolder(dir / "src", dir / "dst", true); }},
        {"delete", [&] { fso.GetFolder(dir / "src").Delete(true); }}};
    for (const int err : {EIO, EACCES}) {
        const platform::ScopedFaultHook hook(
            [&](platform::FaultPoint point, std::string_view path) {
                return point == platform::FaultPoint::OpenDirectory && path == blocked ? err : 0;
            });
        for (const auto& [what, operation] : operations) {
            SCOPED_TRACE(std::string(what) + ", " + std::strerror(err));
            const Error e = errorOf(operation);
            EXPECT_EQ(e.number, errorNumberFromErrno(err));
            EXPECT_EQ(e.description, SystemMessageText(err) + ": \"" + blocked + "\"");
        }
        EXPECT_EQ(readTextFile(blocked + "/deep.txt"), "deep");
        EXPECT_TRUE(exists(dir / "dst/a"));
        EXPECT_FALSE(exists(dir / "dst/a/b"));
    }
}

TEST_F(FileSystemObjectTest, DeleteRefusesReadOnlyEntriesUnlessForced)
{
    makeFile(dir / "ro.txt", "x");
    test::setDosAttrib(dir / "ro.txt", 0x1 | 0x2);
    Error e = errorOf([&] { fso.GetFile(dir / "ro.txt").Delete(false); });
    EXPECT_EQ(e.number, ErrorNumber::PermissionDenied);
    EXPECT_EQ(e.description, "Permission denied");
    fso.GetFile(dir / "ro.txt").Delete(true);
    EXPECT_FALSE(exists(dir / "ro.txt"));

    // A tree of read-only entries in folders that forbid writing, or even
    // listing, goes whole once forced; unforced it stops at the first
    // read-only entry and names it.
    makeTree(dir.path(), {"t/", "t/a/", "t/a/b/", "t/a/b/f.txt=f"});
    test::setDosAttrib(dir / "t/a/b/f.txt", 0x1 | 0x4);
    e = errorOf([&] { fso.GetFolder(dir / "t/").Delete(false); });
    EXPECT_EQ(e.number, ErrorNumber::PermissionDenied);
    EXPECT_NE(e.description.find("t/a/b/f.txt"), std::string::npos) << e.description;
    EXPECT_TRUE(exists(dir / "t/a/b/f.txt"));

    makeFile(dir / "t/\xfe\xff", "g");
    ASSERT_EQ(::mkfifo((dir / "t/a/pipe").c_str(), 0600), 0);
    ASSERT_EQ(::chmod((dir / "t/a/b/f.txt").c_str(), 0444), 0);
    ASSERT_EQ(::chmod((dir / "t/a/b").c_str(), 0500), 0);
    ASSERT_EQ(::chmod((dir / "t/a").c_str(), 0000), 0);
    ASSERT_EQ(::chmod((dir / "t").c_str(), 0555), 0);
    fso.GetFolder(dir / "t").Delete(true);
    EXPECT_FALSE(exists(dir / "t"));
}

TEST_F(FileSystemObjectTest, DeleteFolderStopsAtMountPoints)
{
    makeTree(dir.path(), {"t/", "t/vol/", "t/bind/", "elsewhere/", "elsewhere/keep.txt=keep"});
    const ScopedMount volume("none", dir / "t/vol", "tmpfs", 0);
    if (!volume.mounted())
        GTEST_SKIP() << volume.reason();
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
    // Nor is a mounted folder itself emptied.
    EXPECT_EQ(errorOf([&] { fso.GetFolder(dir / "t/vol").Delete(true); }).number,
              ErrorNumber::PathFileAccess);
    EXPECT_EQ(readTextFile(dir / "t/vol/onvolume.txt"), "volume");
    EXPECT_EQ(readTextFile(dir / "elsewhere/keep.txt"), "keep");
}

// Samba's letters for a word, in the order smbclient prints them.
std::string sambaLetters(uint32_t word)
{
    std::string letters;
    for (int bit = 0; bit < 6; ++bit)
        if (word & (1u << bit))
            letters += "RHS-DA"[bit];
    return letters;
}

uint64_t ntfsCreationTime(const std::string& path)
{
    uint64_t time = 0;
    EXPECT_EQ(::lgetxattr(path.c_str(), "system.ntfs_crtime", &time, sizeof time), 8) << path;
    return time;
}

// Samba's decoder's reading of the value's creation time.
uint64_t sambaCreationTime(const test::SambaTool& samba, const std::string& path)
{
    const std::string decoded = samba.run(path, {"decode"});
    const size_t at = decoded.find("create_time=");
    EXPECT_NE(at, std::string::npos) << decoded;
    return at == std::string::npos ? 0 : std::stoull(decoded.substr(at + 12), nullptr, 16);
}

// Copies of hidden, system and read-only files and folders between ext4
// (user.DOSATTRIB, judged by smbd and Samba's decoder) and an NTFS volume
// (judged by ntfs-3g after a remount), both ways and within each.  The
// parameter: source on NTFS, target on NTFS.
class CopyAcrossStores : public ::testing::TestWithParam<std::pair<bool, bool>> {};

TEST_P(CopyAcrossStores, TheCopyHasTheSourcesAttributesAndACreationTimeOfItsOwn)
{
    const auto [fromNtfs, toNtfs] = GetParam();
    const FileSystemObject fso;
    test::TempDir tmp;
    test::NtfsVolume ntfs(tmp.path());
    if (!ntfs.mounted())
        GTEST_SKIP() << ntfs.skipReason();
    test::SmbServer smb(tmp);
    if (!smb.running())
        GTEST_SKIP() << smb.skipReason();
    const std::string& share = smb.share();
    const test::SambaTool samba(tmp);
    if (!samba.missing().empty())
        GTEST_SKIP() << samba.missing();

    const std::string from = (fromNtfs ? ntfs.root() : share) + "/from";
    const std::string to = (toNtfs ? ntfs.root() : share) + "/to";
    makeDir(from);
    makeDir(to);
    struct Made {
        std::string name;
        uint32_t word;
        uint64_t created;
    };
    std::vector<Made> made;
    for (const uint32_t set : {Attr::Hidden, Attr::System | Attr::Archive, Attr::ReadOnly,
                               Attr::ReadOnly | Attr::Hidden | Attr::System}) {
        for (const bool folder : {false, true}) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "0x%x", set);
            const std::string name = (folder ? "dir" : "file") + std::to_string(set);
            const std::string path = from + "/" + name;
            folder ? makeTree(from, {name + "/", name + "/inside=x"}) : makeFile(path, "content");
            // On ext4 Samba's own record, with a creation time long past.
            if (fromNtfs)
                ASSERT_EQ(platform::storeAttributes(path, set), 0);
            else
                samba.run(path, {"encode", "3", hex, "valid_flags=0x11",
                                 std::string("attrib=") + hex, "create_time=0x1d0000000000001"});
            made.push_back({name, set | (folder ? Attr::Directory : 0),
                            fromNtfs ? ntfsCreationTime(path) : 0x1d0000000000001});
            folder ? fso.CopyFolder(path, to + "/", true) : fso.CopyFile(path, to + "/", true);
        }
    }
    if (fromNtfs || toNtfs) {
        ASSERT_TRUE(ntfs.remount());
    }

    for (const Made& m : made) {
        SCOPED_TRACE(m.name);
        const std::string copy = to + "/" + m.name;
        if (toNtfs) {
            uint32_t word = 0;
            EXPECT_EQ(::lgetxattr(copy.c_str(), "system.ntfs_attrib", &word, sizeof word), 4);
            EXPECT_EQ(word & (Attr::Writable | Attr::Directory), m.word);
            EXPECT_NE(ntfsCreationTime(copy), m.created);
            // No user.DOSATTRIB beside the volume's own word: ntfs-3g would
            // keep it as a data stream that Windows shows.
            EXPECT_EQ(test::rawDosAttrib(copy), "");
            continue;
        }
        EXPECT_EQ(smb.allinfo("to/" + m.name).attributes, sambaLetters(m.word));
        if (!fromNtfs) {
            EXPECT_NE(smb.allinfo("to/" + m.name).createTime,
                      smb.allinfo("from/" + m.name).createTime);
        }
        struct statx st {};
        ASSERT_EQ(::statx(AT_FDCWD, copy.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BTIME, &st), 0);
        EXPECT_EQ(sambaCreationTime(samba, copy),
                  platform::dosattrib::ntTime(st.stx_btime.tv_sec, st.stx_btime.tv_nsec));
    }
}

INSTANTIATE_TEST_SUITE_P(Stores, CopyAcrossStores,
                         ::testing::Values(std::pair{false, false}, std::pair{false, true},
                                           std::pair{true, false}, std::pair{true, true}),
                         [](const auto& info) {
                             return std::string(info.param.first ? "Ntfs" : "Ext4") + "To" +
                                    (info.param.second ? "Ntfs" : "Ext4");
                         });

} // namespace
} // namespace umbrix
