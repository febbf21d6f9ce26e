// What a walk that holds each folder open may rely on: the entry it names is
// the one read and written, whatever happens to the path meanwhile, no link
// is followed, a write changes no more than the bits that differ, and what
// cannot be read is never overwritten.

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

// A path is split at its last component, which is never followed, even
// where a slash would make lstat follow it; the folder part is taken as
// named, links and all.  A leading dot hides nothing.
TEST_P(StoreSafety, EachPathReadsItsOwnEntryNeverWhatALinkLeadsTo)
{
    makeTree(tmp.path(), {"dir/", "dir/file", ".dotted", "target", "link -> target",
                          "dangling -> nowhere", "dot -> .", "dirlink -> dir"});
    setDosAttrib(tmp / "target", Attr::Hidden);
    setDosAttrib(tmp / "dir", Attr::Hidden);
    const std::pair<std::string, uint32_t> cases[] = {
        {tmp / "dir", Attr::Directory | Attr::Hidden},
        {tmp / ".dotted", 0},
        {tmp / "target", Attr::Hidden},
        {tmp / "link", Attr::ReparsePoint},
        {tmp / "dangling", Attr::ReparsePoint},
        {tmp / "dot", Attr::ReparsePoint},
        {tmp / "dirlink", Attr::ReparsePoint},
        {"/", Attr::Directory},
        {tmp / "dir/", Attr::Directory | Attr::Hidden},
        {tmp / "dir//", Attr::Directory | Attr::Hidden},
        {tmp / "dir/../dir/file", 0},
        {tmp / "dirlink/file", 0},
        {tmp / "dirlink/", Attr::ReparsePoint},
        // procfs keeps no user xattrs: the directory bit and read-only from
        // the mode are all there is.
        {"/proc/sys", Attr::Directory},
        {"/proc/self/status", Attr::ReadOnly}};
    const Folder folder(tmp.path());
    for (const auto& [path, expected] : cases) {
        uint32_t word = 0xDEADBEEF;
        EXPECT_EQ(queryAttributes(path, word), 0) << path;
        EXPECT_EQ(word, expected) << path;
        // The walk asks from the open parent folder and must hear the same.
        const std::string name =
            path.starts_with(tmp.path()) ? path.substr(tmp.path().size() + 1) : "/";
        if (name.find('/') == std::string::npos) {
            word = 0xDEADBEEF;
            EXPECT_EQ(queryAttributesAt(folder.fd, name.c_str(), path, word), 0) << name;
            EXPECT_EQ(word, expected) << name;
        }
    }
    uint32_t word = 0;
    EXPECT_EQ(queryAttributes("", word), ENOENT);
    EXPECT_EQ(storeAttributes(tmp / "dirlink/", 0), EPERM);
    EXPECT_EQ(rawDosAttrib(tmp / "dir"), "0x2\0"s);
}

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

// A value of no known form is neither read nor overwritten, yet still tells
// the entry's type; failures change neither the value nor the mode.
TEST_P(StoreSafety, FailuresAreReportedAndChangeNothing)
{
    makeTree(tmp.path(), {"dir/", "file"});
    const std::string garbage = "not an attribute\0\x01\x02"s;
    const Folder folder(tmp.path());
    for (const char* name : {"dir", "file"})
        ASSERT_EQ(::lsetxattr((tmp / name).c_str(), dosattrib::XattrName, garbage.data(),
                              garbage.size(), 0),
                  0);
    ASSERT_EQ(::chmod((tmp / "file").c_str(), 0666), 0);

    const std::pair<const char*, uint32_t> typed[] = {{"dir", Attr::Directory}, {"file", 0}};
    for (const auto& [name, type] : typed) {
        uint32_t word = 0xDEADBEEF;
        EXPECT_EQ(queryAttributesAt(folder.fd, name, tmp / name, word), EBADMSG);
        EXPECT_EQ(word, type);
        word = 0xDEADBEEF;
        EXPECT_EQ(queryAttributes(tmp / name, word), EBADMSG);
        EXPECT_EQ(word, type);
        EXPECT_EQ(storeAttributesAt(folder.fd, name, tmp / name, Attr::ReadOnly), EBADMSG);
        EXPECT_EQ(storeAttributes(tmp / name, Attr::ReadOnly), EBADMSG);
        EXPECT_EQ(rawDosAttrib(tmp / name), garbage);
    }
    EXPECT_EQ(modeOf(tmp / "file") & 07777, 0666u);
    uint32_t word = 0;
    EXPECT_EQ(queryAttributes(tmp / "missing", word), ENOENT);
    EXPECT_EQ(queryAttributes(tmp / "file/below", word), ENOTDIR);
    EXPECT_EQ(storeAttributes(tmp / "missing", Attr::Hidden), ENOENT);
    EXPECT_EQ(storeAttributes("/proc/self/status", Attr::Hidden), EOPNOTSUPP);
}

INSTANTIATE_TEST_SUITE_P(Ways, StoreSafety, ::testing::Bool(), describe);
