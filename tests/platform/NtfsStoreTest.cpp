#include "platform/AttributeStore.h"

#include "support/NtfsVolume.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace umbrix::platform;
using umbrix::test::makeDir;
using umbrix::test::makeFile;
using umbrix::test::NtfsVolume;
using umbrix::test::TempDir;

namespace {

uint32_t query(const std::string& path)
{
    uint32_t word = 0xDEADBEEF;
    EXPECT_EQ(queryAttributes(path, word), 0) << path;
    return word;
}

uint32_t ntfsWord(const std::string& path)
{
    uint32_t word = 0xDEADBEEF;
    EXPECT_EQ(::lgetxattr(path.c_str(), "system.ntfs_attrib", &word, sizeof word),
              static_cast<ssize_t>(sizeof word))
        << path;
    return word;
}

void setNtfsWord(const std::string& path, uint32_t word)
{
    ASSERT_EQ(::lsetxattr(path.c_str(), "system.ntfs_attrib", &word, sizeof word, 0), 0) << path;
}

} // namespace

TEST(NtfsStore, FilesAndDirectoriesUseTheNtfsAttributeWord)
{
    TempDir tmp;
    NtfsVolume vol(tmp.path());
    if (!vol.mounted())
        GTEST_SKIP() << vol.skipReason();

    const std::string file = vol.root() + "/report.txt";
    const std::string dir = vol.root() + "/folder";
    makeFile(file, "some content");
    makeDir(dir);

    // New NTFS entries carry the archive bit.
    EXPECT_EQ(query(file), Attr::Archive);
    EXPECT_EQ(query(dir), Attr::Directory | Attr::Archive);

    ASSERT_EQ(storeAttributes(file, Attr::Hidden | Attr::ReadOnly), 0);
    EXPECT_EQ(ntfsWord(file), Attr::Hidden | Attr::ReadOnly);
    EXPECT_EQ(query(file), Attr::Hidden | Attr::ReadOnly);
    // The NTFS word is the store here; no Samba value appears beside it.
    EXPECT_LT(::lgetxattr(file.c_str(), "user.DOSATTRIB", nullptr, 0), 0);

    ASSERT_EQ(storeAttributes(dir, Attr::Hidden | Attr::System), 0);
    EXPECT_EQ(query(dir), Attr::Directory | Attr::Hidden | Attr::System);
    ASSERT_EQ(storeAttributes(dir, 0), 0);
    EXPECT_EQ(query(dir), Attr::Directory);

    // The volume's root is hidden and a system folder on NTFS.
    EXPECT_EQ(query(vol.root()) & (Attr::Directory | Attr::Hidden | Attr::System),
              Attr::Directory | Attr::Hidden | Attr::System);
}

TEST(NtfsStore, OtherStoredBitsAndNormalSurviveWrites)
{
    TempDir tmp;
    NtfsVolume vol(tmp.path());
    if (!vol.mounted())
        GTEST_SKIP() << vol.skipReason();

    const std::string file = vol.root() + "/file";
    makeFile(file, "content");

    // Not-content-indexed (0x2000) is no bit a write may touch.
    setNtfsWord(file, 0x2000 | Attr::Archive);
    ASSERT_EQ(storeAttributes(file, Attr::Hidden), 0);
    EXPECT_EQ(ntfsWord(file), 0x2000u | Attr::Hidden);

    setNtfsWord(file, Attr::Normal);
    EXPECT_EQ(query(file), 0u);
    ASSERT_EQ(storeAttributes(file, 0), 0);
    EXPECT_EQ(ntfsWord(file), Attr::Normal);

    // ntfs-3g's permissions are not the store: no mode bit makes it read-only.
    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    setNtfsWord(file, Attr::Archive);
    EXPECT_EQ(query(file), Attr::Archive);
}

TEST(NtfsStore, LinksAndSpecialLookingFiles)
{
    TempDir tmp;
    NtfsVolume vol(tmp.path());
    if (!vol.mounted())
        GTEST_SKIP() << vol.skipReason();

    const std::string empty = vol.root() + "/empty";
    makeFile(empty);
    ASSERT_EQ(::symlink("empty", (vol.root() + "/link").c_str()), 0);
    EXPECT_EQ(query(vol.root() + "/link"), Attr::ReparsePoint);

    // ntfs-3g shows an empty system file that is not hidden as a FIFO or a
    // socket; it must still read and write like any other entry.
    ASSERT_EQ(storeAttributes(empty, Attr::System), 0);
    EXPECT_EQ(query(empty), Attr::System);
    struct stat st {};
    ASSERT_EQ(::lstat(empty.c_str(), &st), 0);
    EXPECT_FALSE(S_ISREG(st.st_mode));
    ASSERT_EQ(storeAttributes(empty, Attr::Hidden | Attr::System), 0);
    EXPECT_EQ(query(empty), Attr::Hidden | Attr::System);
    ASSERT_EQ(::lstat(empty.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
}

TEST(NtfsStore, StoreChoiceFollowsTheMountNotTheDeviceNumber)
{
    TempDir tmp;
    const std::string place = tmp / "place";
    makeDir(place);
    dev_t ntfsDevice = 0;
    {
        NtfsVolume vol(tmp.path());
        if (!vol.mounted())
            GTEST_SKIP() << vol.skipReason();
        makeFile(vol.root() + "/file", "content");
        EXPECT_EQ(query(vol.root() + "/file"), Attr::Archive);
        struct stat st {};
        ASSERT_EQ(::stat(vol.root().c_str(), &st), 0);
        ntfsDevice = st.st_dev;
    }

    // The kernel hands the freed anonymous device number to the next such
    // mount, so a tmpfs mounted now usually gets the NTFS volume's number.
    if (::mount("tmpfs", place.c_str(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    struct stat st {};
    ASSERT_EQ(::stat(place.c_str(), &st), 0);
    const std::string file = place + "/file";
    makeFile(file, "content");
    EXPECT_EQ(query(file), 0u);
    EXPECT_EQ(storeAttributes(file, Attr::Hidden), 0);
    EXPECT_EQ(query(file), Attr::Hidden);
    EXPECT_EQ(umbrix::test::rawDosAttrib(file).size(), 56u);
    ::umount2(place.c_str(), MNT_DETACH);
    if (st.st_dev != ntfsDevice)
        std::cout << "note: the tmpfs got another device number than the NTFS volume\n";
}
