#include "fileops/SelfRegistration.h"

#include "platform/Error.h"
#include "support/TempDir.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/mount.h>

namespace umbrix {
namespace {

// The names in `folder`, "." and ".." left out.
std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir))
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                names.push_back(entry->d_name);
        ::closedir(dir);
    }
    return names;
}

// A tmpfs of `inodes` inodes mounted on `folder` for the guard's lifetime:
// room runs out at a chosen step of the check, as root is refused nothing else.
class SmallVolume {
public:
    SmallVolume(const std::string& folder, int inodes) : folder_(folder)
    {
        const std::string options = "nr_inodes=" + std::to_string(inodes);
        mounted_ = ::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~SmallVolume()
    {
        if (mounted_)
            ::umount2(folder_.c_str(), MNT_DETACH);
    }
    SmallVolume(const SmallVolume&) = delete;
    SmallVolume& operator=(const SmallVolume&) = delete;
    bool mounted() const { return mounted_; }

private:
    std::string folder_;
    bool mounted_ = false;
};

TEST(SelfRegistration, AWorkingObjectAnswersZeroAndLeavesNothingBehind)
{
    const test::TempDir parent;
    EXPECT_EQ(DllRegisterServer(parent.path()), 0);
    EXPECT_TRUE(namesIn(parent.path()).empty());
}

TEST(SelfRegistration, AScratchFolderThatCannotBeMadeIsAnErrorWithTheSystemsText)
{
    const test::TempDir parent;
    const Error missing = test::errorOf([&] { DllRegisterServer(parent / "missing"); });
    EXPECT_EQ(missing.number, errorNumberFromErrno(ENOENT));
    EXPECT_EQ(missing.description, std::strerror(ENOENT));
}

// Room for the scratch folder and the probe, none for the copy's file: the
// object cannot do its work, which is what the class code says.  Less room
// still, and the probe itself cannot be made: an error, as when the check
// cannot run at all.
TEST(SelfRegistration, ACopyWithoutRoomIsTheClassCodeAndNoRoomForTheProbeAnError)
{
    const test::TempDir parent;
    test::makeDir(parent / "volume");
    {
        const SmallVolume volume(parent / "volume", 5);
        if (!volume.mounted())
            GTEST_SKIP() << "no tmpfs can be mounted here: " << std::strerror(errno);
        EXPECT_EQ(DllRegisterServer(parent / "volume"), SELFREG_E_CLASS);
        EXPECT_TRUE(namesIn(parent / "volume").empty()) << "the scratch folder is removed";
    }
    const SmallVolume volume(parent / "volume", 2);
    ASSERT_TRUE(volume.mounted());
    const Error full = test::errorOf([&] { DllRegisterServer(parent / "volume"); });
    EXPECT_EQ(full.description, std::strerror(ENOSPC));
    EXPECT_TRUE(namesIn(parent / "volume").empty());
}

} // namespace
} // namespace umbrix
