#include "platform/AttributeStore.h"
#include "platform/DosAttribCodec.h"
#include "platform/FaultInjection.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace umbrix::platform;
using umbrix::test::makeDir;
using umbrix::test::makeFile;
using umbrix::test::rawDosAttrib;
using umbrix::test::setDosAttrib;
using umbrix::test::TempDir;
using namespace std::string_literals;

namespace {

uint32_t query(const std::string& path)
{
    uint32_t word = 0xDEADBEEF;
    EXPECT_EQ(queryAttributes(path, word), 0) << path;
    return word;
}

mode_t modeOf(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

void setRaw(const std::string& path, const std::string& value)
{
    ASSERT_EQ(::lsetxattr(path.c_str(), "user.DOSATTRIB", value.data(), value.size(), 0), 0);
}

// The entry's birth time as NTTIME, as a new value records it (ext4 and tmpfs
// both report one).
uint64_t birthTime(const std::string& path)
{
    struct statx st {};
    EXPECT_EQ(::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BTIME, &st), 0);
    EXPECT_TRUE(st.stx_mask & STATX_BTIME) << "no birth time for " << path;
    return dosattrib::ntTime(st.stx_btime.tv_sec, st.stx_btime.tv_nsec);
}

bool hasDosAttrib(const std::string& path)
{
    return ::lgetxattr(path.c_str(), "user.DOSATTRIB", nullptr, 0) >= 0;
}

} // namespace

TEST(AttributeStore, PlainEntriesOnExt4)
{
    TempDir tmp;
    makeFile(tmp / "file");
    makeDir(tmp / "dir");
    makeFile(tmp / ".dotted");

    EXPECT_EQ(query(tmp / "file"), 0u);
    EXPECT_EQ(query(tmp / "dir"), Attr::Directory);
    // A leading dot hides nothing.
    EXPECT_EQ(query(tmp / ".dotted"), 0u);

    uint32_t word = 0;
    EXPECT_EQ(queryAttributes(tmp / "missing", word), ENOENT);
    EXPECT_EQ(queryAttributes(tmp / "file/below", word), ENOTDIR);
    EXPECT_EQ(storeAttributes(tmp / "missing", Attr::Hidden), ENOENT);
}

TEST(AttributeStore, NewValueIsVersion3WithTheBirthTime)
{
    TempDir tmp;
    const std::string file = tmp / "file";
    makeFile(file);

    ASSERT_EQ(storeAttributes(file, Attr::Hidden | Attr::System), 0);
    EXPECT_EQ(query(file), Attr::Hidden | Attr::System);

    const std::string raw = rawDosAttrib(file);
    ASSERT_EQ(raw.size(), dosattrib::FreshSize);
    EXPECT_EQ(raw, dosattrib::fresh(Attr::Hidden | Attr::System, birthTime(file)));
}

TEST(AttributeStore, WritesKeepTheFormAndEveryOtherBit)
{
    TempDir tmp;
    const std::string file = tmp / "file";
    makeFile(file);

    // Samba's text form with a temporary bit (0x100) beside hidden.
    setDosAttrib(file, 0x122);
    EXPECT_EQ(query(file), 0x122u);
    ASSERT_EQ(storeAttributes(file, Attr::System | Attr::Directory | Attr::Normal | 0x4000), 0);
    EXPECT_EQ(rawDosAttrib(file), "0x104\0"s);
    EXPECT_EQ(query(file), 0x104u);

    // Rewriting the same bits leaves the value as it is, byte for byte.
    const std::string v5 = "\0\0\x05\0\x05\0\0\0"s   // empty prefix, version and level 5
                           "\x11\0\0\0\x02\0\0\0"s   // valid flags, attrib
                           "\x01\x02\x03\x04\x05\x06\x07\x08"s; // create time
    setRaw(file, v5);
    ASSERT_EQ(storeAttributes(file, Attr::Hidden), 0);
    EXPECT_EQ(rawDosAttrib(file), v5);
    ASSERT_EQ(storeAttributes(file, Attr::Archive), 0);
    std::string archived = v5;
    archived[12] = 0x20;
    EXPECT_EQ(rawDosAttrib(file), archived);
}

TEST(AttributeStore, StoredNormalReadsAsNothing)
{
    TempDir tmp;
    const std::string file = tmp / "file";
    makeFile(file);
    setDosAttrib(file, Attr::Normal);
    EXPECT_EQ(query(file), 0u);

    // Writing nothing over "normal" keeps it; a real bit replaces it.
    ASSERT_EQ(storeAttributes(file, 0), 0);
    EXPECT_EQ(rawDosAttrib(file), "0x80\0"s);
    ASSERT_EQ(storeAttributes(file, Attr::Hidden), 0);
    EXPECT_EQ(rawDosAttrib(file), "0x2\0"s);
    ASSERT_EQ(storeAttributes(file, 0), 0);
    EXPECT_EQ(rawDosAttrib(file), "0x0\0"s);

    // A v3 record whose attrib is flagged unused holds no bits either.
    setRaw(file, dosattrib::fresh(Attr::Hidden, 0).replace(12, 1, "\x10"));
    EXPECT_EQ(query(file), 0u);
}

TEST(AttributeStore, NothingToRecordCreatesNoValue)
{
    TempDir tmp;
    const std::string file = tmp / "file";
    makeFile(file);
    ASSERT_EQ(storeAttributes(file, 0), 0);
    EXPECT_FALSE(hasDosAttrib(file));
    EXPECT_EQ(modeOf(file), 0644u);
}

TEST(AttributeStore, ReadOnlyFollowsTheModeBits)
{
    TempDir tmp;
    const std::string file = tmp / "file";
    makeFile(file);
    ASSERT_EQ(::chmod(file.c_str(), 0666), 0);

    ASSERT_EQ(storeAttributes(file, Attr::ReadOnly), 0);
    EXPECT_EQ(modeOf(file), 0444u);
    EXPECT_EQ(query(file), Attr::ReadOnly);

    // Clearing gives the owner, and only the owner, write permission back.
    ASSERT_EQ(storeAttributes(file, Attr::Hidden), 0);
    EXPECT_EQ(modeOf(file), 0644u);
    EXPECT_EQ(query(file), Attr::Hidden);

    // No owner write permission reads as read-only without any stored value.
    const std::string locked = tmp / "locked";
    makeFile(locked);
    ASSERT_EQ(::chmod(locked.c_str(), 0464), 0);
    EXPECT_EQ(query(locked), Attr::ReadOnly);
    setDosAttrib(locked, Attr::Normal);
    EXPECT_EQ(query(locked), Attr::ReadOnly);
}

TEST(AttributeStore, DirectoriesKeepTheirModeAndNeverStoreTheDirectoryBit)
{
    TempDir tmp;
    const std::string dir = tmp / "dir";
    makeDir(dir);

    ASSERT_EQ(storeAttributes(dir, Attr::ReadOnly | Attr::Hidden | Attr::Directory), 0);
    EXPECT_EQ(query(dir), Attr::Directory | Attr::ReadOnly | Attr::Hidden);
    EXPECT_EQ(modeOf(dir), 0755u);
    EXPECT_EQ(rawDosAttrib(dir), dosattrib::fresh(Attr::ReadOnly | Attr::Hidden, birthTime(dir)));
    // A directory without owner write permission is not read-only by that.
    ASSERT_EQ(::chmod(dir.c_str(), 0555), 0);
    ASSERT_EQ(storeAttributes(dir, 0), 0);
    EXPECT_EQ(query(dir), Attr::Directory);
    ASSERT_EQ(::chmod(dir.c_str(), 0755), 0);
}

TEST(AttributeStore, SymbolicLinksAreNeverFollowed)
{
    TempDir tmp;
    const std::string target = tmp / "target";
    makeFile(target);
    setDosAttrib(target, Attr::Hidden);
    ASSERT_EQ(::symlink("target", (tmp / "link").c_str()), 0);
    ASSERT_EQ(::symlink("nowhere", (tmp / "dangling").c_str()), 0);
    ASSERT_EQ(::symlink(".", (tmp / "loop").c_str()), 0);

    EXPECT_EQ(query(tmp / "link"), Attr::ReparsePoint);
    EXPECT_EQ(query(tmp / "dangling"), Attr::ReparsePoint);
    EXPECT_EQ(query(tmp / "loop"), Attr::ReparsePoint);

    // The link itself cannot carry user attributes here; its target and its
    // mode stay as they were.
    EXPECT_NE(storeAttributes(tmp / "link", Attr::ReadOnly | Attr::System), 0);
    EXPECT_EQ(rawDosAttrib(target), "0x2\0"s);
    EXPECT_EQ(modeOf(target), 0644u);
}

TEST(AttributeStore, NamesThatAreNotUtf8)
{
    TempDir tmp;
    const std::string file = tmp / "caf\xE9\xFF";
    makeFile(file);
    ASSERT_EQ(storeAttributes(file, Attr::Hidden | Attr::Archive), 0);
    EXPECT_EQ(query(file), Attr::Hidden | Attr::Archive);
    EXPECT_EQ(rawDosAttrib(file).size(), dosattrib::FreshSize);
}

TEST(AttributeStore, UnreadableValueIsReportedAndNeverOverwritten)
{
    TempDir tmp;
    const std::string file = tmp / "file";
    makeFile(file);
    ASSERT_EQ(::chmod(file.c_str(), 0666), 0);
    const std::string garbage = "not an attribute\0\x01\x02"s;
    setRaw(file, garbage);

    uint32_t word = 0;
    EXPECT_EQ(queryAttributes(file, word), EBADMSG);
    EXPECT_EQ(storeAttributes(file, Attr::ReadOnly), EBADMSG);
    EXPECT_EQ(storeAttributes(file, 0), EBADMSG);
    EXPECT_EQ(rawDosAttrib(file), garbage);
    EXPECT_EQ(modeOf(file), 0666u);
}

TEST(AttributeStore, OversizedValueIsStillRead)
{
    TempDir tmp;
    const std::string file = tmp / "file";
    makeFile(file);
    // A version 2 record whose name makes it larger than the usual value.
    std::string v2 = "0x2\0\x02\0\x02\0"s + std::string(52, '\0') + std::string(600, 'n') + '\0';
    v2[12] = 0x02; // attrib
    setRaw(file, v2);
    EXPECT_EQ(query(file), Attr::Hidden);
    ASSERT_EQ(storeAttributes(file, Attr::System), 0);
    std::string expected = v2;
    expected[2] = '4';
    expected[12] = 0x04;
    std::string raw(expected.size() + 1, '\0');
    const ssize_t n = ::lgetxattr(file.c_str(), "user.DOSATTRIB", raw.data(), raw.size());
    ASSERT_GE(n, 0);
    raw.resize(static_cast<size_t>(n));
    EXPECT_EQ(raw, expected);
}

TEST(AttributeStore, FilesystemWithoutAStore)
{
    // procfs keeps no user xattrs: the directory bit and read-only (from the
    // mode) are all there is, and nothing can be written.
    EXPECT_EQ(query("/proc/sys"), Attr::Directory);
    EXPECT_EQ(query("/proc/self/status"), Attr::ReadOnly);
    EXPECT_EQ(storeAttributes("/proc/self/status", Attr::Hidden), EOPNOTSUPP);
    EXPECT_EQ(storeAttributes("/proc/self/status", Attr::ReadOnly), EOPNOTSUPP);
}

TEST(AttributeStore, InjectedFaultsStopBeforeTheDisk)
{
    TempDir tmp;
    const std::string file = tmp / "file";
    const std::string other = tmp / "other";
    makeFile(file);
    makeFile(other);
    ScopedFaultHook hook([&](FaultPoint point, std::string_view path) {
        if (path != file)
            return 0;
        return point == FaultPoint::ReadAttributes ? EIO : EACCES;
    });

    uint32_t word = 0;
    EXPECT_EQ(queryAttributes(file, word), EIO);
    EXPECT_EQ(storeAttributes(file, Attr::Hidden), EACCES);
    EXPECT_FALSE(hasDosAttrib(file));
    EXPECT_EQ(storeAttributes(other, Attr::Hidden), 0);
    EXPECT_EQ(query(other), Attr::Hidden);
}
