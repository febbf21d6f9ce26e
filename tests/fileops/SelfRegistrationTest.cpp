#include "fileops/SelfRegistration.h"

#include "platform/Error.h"
#include "support/TempDir.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>

namespace umbrix {
namespace {

TEST(SelfRegistration, AWorkingObjectAnswersZeroAndAMissingParentIsAnError)
{
    const test::TempDir parent;
    EXPECT_EQ(DllRegisterServer(parent.path()), 0);
    EXPECT_TRUE(std::filesystem::is_empty(parent.path())) << "the scratch folder is removed";
    const Error missing = test::errorOf([&] { DllRegisterServer(parent / "missing"); });
    EXPECT_EQ(missing.description, std::strerror(ENOENT));
}

// Root is refused nothing, so a tmpfs with few inodes runs out of room at a
// chosen step: 5 leave no room for the copy's file (the object cannot work,
// the class code); 2 none for the probe (the check cannot run, an error).
TEST(SelfRegistration, ACopyWithoutRoomIsTheClassCodeAndNoRoomForTheProbeAnError)
{
    const test::TempDir parent;
    const std::string volume = parent / "volume";
    test::makeDir(volume);
    for (const int inodes : {5, 2}) {
        const std::string options = "nr_inodes=" + std::to_string(inodes);
        const test::ScopedMount mount("tmpfs", volume, "tmpfs", 0, options.c_str());
        if (!mount.mounted())
            GTEST_SKIP() << mount.reason();
        if (inodes == 5)
            EXPECT_EQ(DllRegisterServer(volume), SELFREG_E_CLASS);
        else
            EXPECT_EQ(test::errorOf([&] { DllRegisterServer(volume); }).description,
                      std::strerror(ENOSPC));
        EXPECT_TRUE(std::filesystem::is_empty(volume)) << inodes;
    }
}

} // namespace
} // namespace umbrix
