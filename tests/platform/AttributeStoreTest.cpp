#include "platform/AttributeStore.h"

#include "platform/DosAttribCodec.h"
#include "platform/Error.h"
#include "platform/FileDescriptor.h"
#include "support/NtfsVolume.h"
#include "support/TempDir.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <endian.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

using namespace umbrix::platform;
using namespace umbrix::test;
using namespace std::string_literals;

namespace {

void setRaw(const std::string& path, const std::string& value)
{
    ASSERT_EQ(::lsetxattr(path.c_str(), dosattrib::XattrName, value.data(), value.size(), 0), 0);
}

// A new value records the entry's birth time; ext4 and tmpfs both keep one.
std::string freshValueFor(const std::string& path, uint32_t attrib)
{
    struct statx st {};
    EXPECT_EQ(::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BTIME, &st), 0);
    EXPECT_TRUE(st.stx_mask & STATX_BTIME) << "no birth time for " << path;
    return dosattrib::fresh(attrib, dosattrib::ntTime(st.stx_btime.tv_sec, st.stx_btime.tv_nsec));
}

// Every case works on a fresh folder holding a plain file.
class AttributeStore : public ::testing::Test {
protected:
    void SetUp() override { makeFile(file); }
    TempDir tmp;
    const std::string file = tmp / "file";
};

} // namespace

TEST_F(AttributeStore, TheFirstValueStored)
{
    // Nothing to record creates no value and leaves the mode alone.
    ASSERT_EQ(storeAttributes(file, 0), 0);
    EXPECT_EQ(rawDosAttrib(file), "");
    EXPECT_EQ(modeOf(file) & 07777, 0644u);
    // A new value is a version 3 record with the entry's birth time.
    for (const std::string& path : {file, tmp / "caf\xE9\xFF"}) {
        makeFile(path);
        ASSERT_EQ(storeAttributes(path, Attr::Hidden | Attr::System), 0);
        EXPECT_EQ(storedWord(path), Attr::Hidden | Attr::System);
        EXPECT_EQ(rawDosAttrib(path), freshValueFor(path, Attr::Hidden | Attr::System));
    }
}

TEST_F(AttributeStore, WritesKeepTheStoredFormAndEveryOtherBit)
{
    // Version 2 with a name long enough to need more than the usual buffer.
    const std::string v2 = patched(
        "0x2\0\x02\0\x02\0"s + std::string(52, '\0') + std::string(300, 'n') + '\0', 12, "\x02");
    const struct Case {
        const char* what;
        std::string stored;
        uint32_t read;
        uint32_t written;
        std::string after;
    } cases[] = {
        // A temporary bit (0x100) stays; bits a write may not set are ignored.
        {"text", "0x122\0"s, 0x122, Attr::System | Attr::Directory | Attr::Normal | 0x4000,
         "0x104\0"s},
        {"normal kept", "0x80\0"s, 0, 0, "0x80\0"s},
        {"normal replaced", "0x80\0"s, 0, Attr::Hidden, "0x2\0"s},
        {"nothing left", "0x2\0"s, Attr::Hidden, 0, "0x0\0"s},
        {"attrib flagged unused", patched(dosattrib::fresh(Attr::Hidden, 0), 12, "\x10"), 0,
         Attr::Hidden, dosattrib::fresh(Attr::Hidden, 0)},
        {"oversized", v2, Attr::Hidden, Attr::System, patched(patched(v2, 2, "4"), 12, "\x04")}};

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        setRaw(file, c.stored);
        EXPECT_EQ(storedWord(file), c.read);
        ASSERT_EQ(storeAttributes(file, c.written), 0);
        EXPECT_EQ(rawDosAttrib(file), c.after);
    }
}

TEST_F(AttributeStore, ACommandsKeptFolderServesOnlyItsOwnEntries)
{
    makeTree(tmp.path(), {"a/", "ab/", "b/", "a/x", "ab/x", "b/x", "a/y"});
    setDosAttrib(tmp / "a/x", Attr::Hidden);
    setDosAttrib(tmp / "ab/x", Attr::Archive);
    setDosAttrib(tmp / "b/x", Attr::System);
    setDosAttrib(tmp / "a/y", Attr::Hidden | Attr::System);
    {
        const ScopedFolderReuse sameFolder;
        // Rows of one folder, then of folders whose names share a beginning.
        EXPECT_EQ(storedWord(tmp / "a/x"), Attr::Hidden);
        EXPECT_EQ(storedWord(tmp / "a/y"), Attr::Hidden | Attr::System);
        EXPECT_EQ(storedWord(tmp / "ab/x"), Attr::Archive);
        EXPECT_EQ(storedWord(tmp / "b/x"), Attr::System);
        const AttributeChange change =
            changeAttributes(tmp / "a/x", [](uint32_t word) { return word & ~Attr::Hidden; });
        EXPECT_EQ(change.storeError, 0);
        // The rows listed under a folder are the ones reached, even when the
        // folder is renamed, or a link put in its place, while it is kept.
        ASSERT_EQ(std::rename((tmp / "a").c_str(), (tmp / "gone").c_str()), 0);
        ASSERT_EQ(::symlink((tmp / "b").c_str(), (tmp / "a").c_str()), 0);
        EXPECT_EQ(storedWord(tmp / "a/y"), Attr::Hidden | Attr::System);
    }
    uint32_t word = 0;
    EXPECT_EQ(queryAttributes(tmp / "a/y", word), ENOENT);
    EXPECT_EQ(storedWord(tmp / "gone/x"), 0u);
    EXPECT_EQ(storedWord(tmp / "ab/x"), Attr::Archive);
    EXPECT_EQ(storedWord(tmp / "b/x"), Attr::System);
}

TEST(NtfsStore, TheVolumesAttributeWordIsTheStore)
{
    TempDir tmp;
    NtfsVolume vol(tmp.path());
    if (!vol.mounted())
        GTEST_SKIP() << vol.skipReason();
    checkWordStore(vol.root());
    // The NTFS word is the store here; no Samba value appears beside it.
    const std::string file = vol.root() + "/FILE.TXT";
    uint32_t word = 0;
    EXPECT_EQ(::lgetxattr(file.c_str(), "system.ntfs_attrib", &word, sizeof word), 4);
    EXPECT_EQ(word, Attr::ReadOnly);
    EXPECT_EQ(rawDosAttrib(file), "");
    // ntfs-3g's permissions are not the store: no mode bit makes it read-only.
    ASSERT_EQ(storeAttributes(file, 0), 0);
    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    EXPECT_EQ(storedWord(file), 0u);

    const std::string empty = vol.root() + "/empty";
    makeFile(empty);
    // ntfs-3g shows an empty system file that is not hidden as a FIFO or a
    // socket; opening one would hang, so the store must not.
    ASSERT_EQ(storeAttributes(empty, Attr::System), 0);
    EXPECT_EQ(storedWord(empty), Attr::System);
    ASSERT_EQ(storeAttributes(empty, Attr::Hidden | Attr::System), 0);
    EXPECT_EQ(storedWord(empty), Attr::Hidden | Attr::System);
}

TEST(NtfsStore, StoreChoiceFollowsTheMountNotTheDeviceNumber)
{
    TempDir tmp;
    dev_t ntfsDevice = 0;
    {
        NtfsVolume vol(tmp.path());
        if (!vol.mounted())
            GTEST_SKIP() << vol.skipReason();
        makeFile(vol.root() + "/file", "content");
        EXPECT_EQ(storedWord(vol.root() + "/file"), Attr::Archive);
        struct stat st {};
        ASSERT_EQ(::stat(vol.root().c_str(), &st), 0);
        ntfsDevice = st.st_dev;
    }
    // The kernel hands the freed anonymous device number to the next such
    // mount, so a tmpfs mounted now usually gets the NTFS volume's number.
    const std::string place = tmp / "place";
    makeDir(place);
    const ScopedMount tmpfs("tmpfs", place, "tmpfs", 0, "size=1m");
    if (!tmpfs.mounted())
        GTEST_SKIP() << tmpfs.reason();
    struct stat st {};
    ASSERT_EQ(::stat(place.c_str(), &st), 0);
    if (st.st_dev != ntfsDevice) {
        GTEST_SKIP() << "the kernel gave the tmpfs a device number of its own; the case needs "
                        "the NTFS volume's number handed out again";
    }
    const std::string file = place + "/file";
    makeFile(file, "content");
    if (::lsetxattr(file.c_str(), "user.probe", "", 0, 0) != 0 && errno == EOPNOTSUPP)
        GTEST_SKIP() << "this kernel's tmpfs keeps no user xattrs (they came with Linux 6.6)";
    EXPECT_EQ(storedWord(file), 0u);
    EXPECT_EQ(storeAttributes(file, Attr::Hidden), 0);
    EXPECT_EQ(rawDosAttrib(file).size(), dosattrib::FreshSize);
}

// What a person reads for a write the FAT or exFAT driver refused: which
// attribute, why, and the command that does it as root (attrib's own rule
// asks a hidden or system entry to name the bit it keeps).
TEST(StoreRefusal, SaysWhichAttributeWhyAndHowAsRoot)
{
    constexpr uint32_t H = Attr::Hidden, S = Attr::System, R = Attr::ReadOnly;
    const std::string why =
        " (the driver asks for CAP_LINUX_IMMUTABLE). As root: sudo umbrix-attrib";
    const struct {
        const char* name;
        uint32_t before, wanted;
        std::string text;
    } rows[] = {
        {"set S", 0, S,
         "The system attribute could not be changed: on this volume only root may set or clear "
         "the system attribute" +
             why + " +S PATH"},
        {"clear H and S", H | S | R, R,
         "The hidden and system attributes could not be changed: on this volume only root may "
         "set or clear the system attribute" +
             why + " -H -S PATH"},
        {"clear H of a system entry", H | S, S,
         "The hidden attribute could not be changed: on this volume only root may change a "
         "system entry" +
             why + " -H +S PATH"},
    };
    for (const auto& row : rows) {
        const int code = umbrix::StoreRefusal::systemBitNeedsRoot(row.before, row.wanted);
        EXPECT_EQ(umbrix::SystemMessageText(code), row.text) << row.name;
        EXPECT_EQ(umbrix::plainErrno(code), EPERM) << row.name;
        EXPECT_EQ(umbrix::errorNumberFromErrno(code), umbrix::ErrorNumber::PathFileAccess)
            << row.name;
    }
}

// A volume of a kernel driver that keeps the attribute word itself, on a
// loop device, where the machine can make one (the test guest does).
constexpr unsigned long FatGetAttributes = 0x80047210;

struct DriverVolume {
    const char* type;
    const char* mkfs;
    std::vector<std::string> mkfsOptions;
    bool fatIoctls;
};

void PrintTo(const DriverVolume& volume, std::ostream* os)
{
    *os << volume.type;
}

class DriverStore : public ::testing::TestWithParam<DriverVolume> {};

TEST_P(DriverStore, TheDriversWordIsTheStore)
{
    TempDir tmp;
    const DriverVolume& volume = GetParam();
    const std::string mkfs = findTool(volume.mkfs);
    const std::string image = tmp / "volume.img";
    const std::string root = tmp / volume.type;
    if (mkfs.empty())
        GTEST_SKIP() << volume.mkfs << " is not installed";
    makeFile(image);
    ASSERT_EQ(::truncate(image.c_str(), 32 * 1024 * 1024), 0);
    std::vector<std::string> args = volume.mkfsOptions;
    args.push_back(image);
    ASSERT_EQ(runTool(mkfs, args, tmp / "mkfs.log"), 0) << readTextFile(tmp / "mkfs.log");
    makeDir(root);
    if (runTool(findTool("mount"), {"-t", volume.type, "-o", "loop", image, root},
                tmp / "mount.log"))
        GTEST_SKIP() << "cannot loop-mount a " << volume.type
                     << " volume here: " << readTextFile(tmp / "mount.log");
    const FileDescriptor rootFd(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    uint32_t probe = 0;
    if (volume.fatIoctls && ::ioctl(rootFd.get(), FatGetAttributes, &probe) != 0 &&
        errno == ENOTTY) {
        // exFAT before Linux 6.7 has no attribute ioctls: the volume keeps
        // no attributes the program can reach, writes say so, and nothing
        // is stored anywhere else instead.
        const std::string file = root + "/FILE.TXT";
        makeFile(file, "content");
        const int err = storeAttributes(file, Attr::Hidden);
        EXPECT_EQ(umbrix::plainErrno(err), EOPNOTSUPP);
        EXPECT_EQ(umbrix::SystemMessageText(err),
                  "This volume keeps no attributes that Umbrix can reach on this kernel (exFAT "
                  "before Linux 6.7): nothing was changed");
        EXPECT_EQ(storedWord(file), 0u);
        EXPECT_LE(::llistxattr(file.c_str(), nullptr, 0), 0);
        std::printf("%s has no attribute ioctls here: writes were refused\n", volume.type);
        ::umount2(root.c_str(), MNT_DETACH);
        return;
    }
    checkWordStore(root, std::string(volume.type) != "exfat");
    // The driver keeps read-only in the mode bits itself.
    EXPECT_EQ(modeOf(root + "/FILE.TXT") & S_IWUSR, 0u);
    if (std::string(volume.type) == "ntfs3") {
        // A second reader: the driver's big-endian form of the same word.
        uint32_t be = 0;
        EXPECT_EQ(::lgetxattr((root + "/FILE.TXT").c_str(), "system.ntfs_attrib_be", &be, 4), 4);
        EXPECT_EQ(be, htobe32(Attr::ReadOnly));
    }
    ::umount2(root.c_str(), MNT_DETACH);
}

INSTANTIATE_TEST_SUITE_P(DriverVolumes, DriverStore,
                         ::testing::Values(DriverVolume{"vfat", "mkfs.vfat", {}, true},
                                           DriverVolume{"exfat", "mkfs.exfat", {}, true},
                                           DriverVolume{"ntfs3", "mkntfs", {"-F", "-Q"}, false}),
                         [](const auto& info) { return std::string(info.param.type); });
