#include "search/ScanTreeFixture.h"
#include "support/NtfsVolume.h"

#include <memory>
#include <unistd.h>

namespace umbrix::test {
namespace {

constexpr uint32_t R = platform::Attr::ReadOnly;
constexpr uint32_t H = platform::Attr::Hidden;
constexpr uint32_t S = platform::Attr::System;
constexpr uint32_t D = platform::Attr::Directory;
constexpr uint32_t A = platform::Attr::Archive;

// The same rules on a real NTFS volume, where the attributes are the
// filesystem's own.
class NtfsScan : public ScanTreeFixture {
protected:
    void SetUp() override
    {
        ScanTreeFixture::SetUp();
        volume_ = std::make_unique<NtfsVolume>(dir.path());
        if (!volume_->mounted())
            GTEST_SKIP() << volume_->skipReason();
        makeDir(root());
    }
    void TearDown() override
    {
        volume_.reset();
        ScanTreeFixture::TearDown();
    }
    std::string root() const override { return volume_->root() + "/tree"; }

private:
    std::unique_ptr<NtfsVolume> volume_;
};

TEST_F(NtfsScan, ListsAndUnhidesByTheSameRules)
{
    file("hidden", H | A);
    file("system", S | A);
    file("hidden-system", H | S);
    file("hidden-readonly", H | R);
    file("plain");
    folder("hidden-dir", H);
    folder("hidden-dir/sub", H);
    file("hidden-dir/sub/deep", H);
    folder("system-dir", S);
    folder("plain-dir");
    ASSERT_EQ(::symlink("hidden", at("link").c_str()), 0);

    EXPECT_FALSE(scan());
    EXPECT_EQ(host.rows.front(), at("hidden-dir/sub/deep"));
    EXPECT_EQ(sortedRows(),
              paths({"hidden", "system", "hidden-system", "hidden-readonly", "hidden-dir",
                     "hidden-dir/sub", "hidden-dir/sub/deep", "system-dir"}));
    EXPECT_EQ(attributes("hidden") & ~A, 0u);
    EXPECT_EQ(attributes("system") & ~A, S);
    EXPECT_EQ(attributes("hidden-system") & ~A, H | S);
    EXPECT_EQ(attributes("hidden-readonly") & ~A, R);
    EXPECT_EQ(attributes("hidden-dir") & ~A, D);
    EXPECT_EQ(attributes("hidden-dir/sub/deep") & ~A, 0u);
    EXPECT_EQ(attributes("system-dir") & ~A, S | D);
    EXPECT_TRUE(host.logs.empty());
}

TEST_F(NtfsScan, OptionsAndCountsHoldThere)
{
    app().SearchSubDirs = false;
    app().DirsOnly = true;
    app().ViewAll = true;
    file("hidden", H);
    folder("hidden-dir", H);
    folder("plain-dir");
    ASSERT_EQ(::symlink("plain-dir", at("link").c_str()), 0);
    scan();
    EXPECT_EQ(sortedRows(), paths({"hidden-dir", "plain-dir"}));
    EXPECT_EQ(attributes("hidden") & H, H);
    EXPECT_EQ(app().ScannedCount, 3);
}

TEST_F(NtfsScan, OddNamesAreListedByteExactly)
{
    // NTFS keeps UTF-16 names, so only valid UTF-8 survives there; blanks,
    // line breaks and the longest names must come back unchanged.
    const std::vector<std::string> names{" leading", "trailing ", "line\nbreak",
                                         std::string(255, 'n'), "caf\xc3\xa9"};
    for (const std::string& name : names)
        file(name, H);
    scan();
    EXPECT_EQ(sortedRows(), paths(names));
    for (const std::string& name : names)
        EXPECT_EQ(attributes(name) & H, 0u) << name;
}

} // namespace
} // namespace umbrix::test
