// What a walk that holds each folder open may rely on: the entry it names is
// the one read and written, whatever happens to the path meanwhile, and a
// write changes no more than the bits that differ.

#include "platform/AttributeStore.h"
#include "platform/DosAttribCodec.h"
#include "platform/EntryAccess.h"
#include "support/TempDir.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace umbrix::platform;
using namespace umbrix::test;
using namespace std::string_literals;

namespace {

// Both ways of reaching an entry: the *xattrat calls and the pinned
// descriptor with its /proc name.
class StoreSafety : public ::testing::TestWithParam<bool> {
protected:
    StoreSafety() : fallback_(GetParam()) {}

    // An open folder that closes with the test.
    struct Folder {
        explicit Folder(const std::string& path)
            : fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC))
        {
            EXPECT_GE(fd, 0) << path;
        }
        ~Folder() { ::close(fd); }
        int fd;
    };

    ScopedProcFdFallback fallback_;
    TempDir tmp;
};

std::string describe(const ::testing::TestParamInfo<bool>& info)
{
    return info.param ? "ProcFd" : "XattrAt";
}

} // namespace

TEST_P(StoreSafety, AFolderSwappedForALinkIsNotFollowed)
{
    makeTree(tmp.path(), {"tree/", "tree/a/", "tree/a/f", "elsewhere/", "elsewhere/f"});
    setDosAttrib(tmp / "tree/a/f", Attr::Hidden);
    setDosAttrib(tmp / "elsewhere/f", Attr::Hidden | Attr::Archive);

    const Folder a(tmp / "tree/a");
    // The walk has the folder open; someone swaps it for a link.
    ASSERT_EQ(std::rename((tmp / "tree/a").c_str(), (tmp / "a.moved").c_str()), 0);
    ASSERT_EQ(::symlink((tmp / "elsewhere").c_str(), (tmp / "tree/a").c_str()), 0);

    const std::string path = tmp / "tree/a/f";
    uint32_t word = 0;
    ASSERT_EQ(queryAttributesAt(a.fd, "f", path, word), 0);
    EXPECT_EQ(word, Attr::Hidden);
    ASSERT_EQ(storeAttributesAt(a.fd, "f", path, 0), 0);
    ASSERT_EQ(storeAttributesAt(a.fd, "f", path, Attr::ReadOnly), 0);

    // The entry inside the opened folder took both writes.
    EXPECT_EQ(rawDosAttrib(tmp / "a.moved/f"), "0x1\0"s);
    EXPECT_EQ(rawDosAttrib(tmp / "elsewhere/f"), "0x22\0"s);
}

// The walk reads and unhides by readdir's type, with no statx of its own.
TEST_P(StoreSafety, TheWalkReachesEntriesItHasNotExamined)
{
    makeTree(tmp.path(), {"f"});
    setDosAttrib(tmp / "f", Attr::Hidden);
    const Folder folder(tmp.path());
    FolderAttributes attributes;
    FolderIdentity identity;
    ASSERT_EQ(FolderAttributes::of(folder.fd, attributes, identity), 0);
    uint32_t word = 0;
    EXPECT_EQ(attributes.query("f", DT_REG, tmp / "f", word), 0);
    EXPECT_EQ(word, Attr::Hidden);
    EXPECT_EQ(attributes.unhide("f", 0, false, tmp / "f", word), 0);
    EXPECT_EQ(rawDosAttrib(tmp / "f"), "0x0\0"s);
}

TEST_P(StoreSafety, AnUnreadableValueStillTellsTheEntrysType)
{
    makeTree(tmp.path(), {"dir/", "file"});
    const Folder folder(tmp.path());
    for (const char* name : {"dir", "file"})
        ASSERT_EQ(::lsetxattr((tmp / name).c_str(), dosattrib::XattrName, "0xZZ", 5, 0), 0);

    uint32_t word = 0xDEADBEEF;
    EXPECT_EQ(queryAttributesAt(folder.fd, "dir", tmp / "dir", word), EBADMSG);
    EXPECT_EQ(word, Attr::Directory);
    EXPECT_EQ(queryAttributes(tmp / "dir", word), EBADMSG);
    EXPECT_EQ(word, Attr::Directory);
    EXPECT_EQ(queryAttributesAt(folder.fd, "file", tmp / "file", word), EBADMSG);
    EXPECT_EQ(word, 0u);
    // Nothing overwrites what cannot be read.
    EXPECT_EQ(storeAttributesAt(folder.fd, "dir", tmp / "dir", 0), EBADMSG);
    EXPECT_EQ(rawDosAttrib(tmp / "dir"), "0xZZ\0"s);
}

TEST_P(StoreSafety, APathIsSplitAtItsLastComponentWhichIsNeverFollowed)
{
    makeTree(tmp.path(), {"dir/", "dir/file", "dirlink -> dir"});
    setDosAttrib(tmp / "dir", Attr::Hidden);
    const std::pair<std::string, uint32_t> cases[] = {
        {"/", Attr::Directory},
        {tmp / "dir/", Attr::Directory | Attr::Hidden},
        {tmp / "dir//", Attr::Directory | Attr::Hidden},
        {tmp / "dir/../dir/file", 0},
        // The folder part is taken as named, links and all; the last
        // component is not, even where a slash would make lstat follow it.
        {tmp / "dirlink/file", 0},
        {tmp / "dirlink/", Attr::ReparsePoint},
    };
    for (const auto& [path, expected] : cases) {
        uint32_t word = 0xDEADBEEF;
        EXPECT_EQ(queryAttributes(path, word), 0) << path;
        EXPECT_EQ(word, expected) << path;
    }
    uint32_t word = 0;
    EXPECT_EQ(queryAttributes("", word), ENOENT);
    EXPECT_EQ(storeAttributes(tmp / "dirlink/", 0), EPERM);
    EXPECT_EQ(rawDosAttrib(tmp / "dir"), "0x2\0"s);
}

INSTANTIATE_TEST_SUITE_P(Ways, StoreSafety, ::testing::Bool(), describe);
