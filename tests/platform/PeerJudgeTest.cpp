// Samba and Wine, which keep DOS attributes in user.DOSATTRIB as Umbrix
// does, set the attributes of a folder's entries, the search's attribute
// step runs over them, and the peer says what it sees afterwards.

#include "platform/AttributeStore.h"
#include "platform/FileDescriptor.h"
#include "support/SmbServer.h"
#include "support/TempDir.h"
#include "support/WinePrefix.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace umbrix::platform;
using namespace umbrix::test;

namespace {

// What the search does to each entry of the folder it holds open: read it,
// and write a hidden entry that is not a system entry back without the
// hidden bit.
void searchStep(const std::string& folder, const std::vector<std::string>& names)
{
    const FileDescriptor fd(
        ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    ASSERT_TRUE(fd) << folder;
    for (const std::string& name : names) {
        const std::string path = folder + "/" + name;
        uint32_t word = 0;
        EXPECT_EQ(queryAttributesAt(fd.get(), name.c_str(), path, word), 0) << name;
        if ((word & Attr::Hidden) && !(word & Attr::System)) {
            EXPECT_EQ(storeAttributesAt(fd.get(), name.c_str(), path,
                                        word & Attr::Writable & ~Attr::Hidden),
                      0)
                << name;
        }
    }
}

std::string withoutHidden(std::string letters)
{
    if (const size_t h = letters.find('H'); h != std::string::npos)
        letters.erase(h, 1);
    return letters;
}

// One entry as the peer prepares it.
struct Entry {
    std::string name;
    bool folder;
    std::vector<std::string> changes; // the peer's own attribute commands
    mode_t mode;                      // 0: as made
    std::string before;               // the peer's letters after its changes
    bool hiddenOnly;                  // the search unhides it
};

} // namespace

TEST(SambaJudge, TheSearchStepChangesNothingButTheHiddenBit)
{
    TempDir tmp;
    SmbServer smb(tmp);
    if (!smb.running())
        GTEST_SKIP() << smb.skipReason();
    const std::string& share = smb.share();

    // Samba keeps read-only apart from the mode: a 0444 file reads as
    // hidden only, and the search must not make it read-only for Samba.
    const Entry entries[] = {
        {"h", false, {"+h"}, 0, "H", true},       {"s", false, {"+s"}, 0, "S", false},
        {"hs", false, {"+hs"}, 0, "HS", false},   {"r", false, {"+r"}, 0, "R", false},
        {"a", false, {"+a"}, 0, "A", false},      {"rha", false, {"+rha"}, 0, "RHA", true},
        {"h444", false, {"+h"}, 0444, "H", true}, {"hdir", true, {"+h"}, 0, "HD", true},
        {"looked", false, {}, 0, "", false},
    };
    std::vector<std::string> names;
    std::map<std::string, SmbServer::Info> before;
    for (const Entry& e : entries) {
        e.folder ? makeDir(share + "/" + e.name) : makeFile(share + "/" + e.name, "x");
        for (const std::string& change : e.changes)
            smb.setmode(e.name, change);
        if (e.mode) {
            ASSERT_EQ(::chmod((share + "/" + e.name).c_str(), e.mode), 0);
        }
        before[e.name] = smb.allinfo(e.name);
        EXPECT_EQ(before[e.name].attributes, e.before) << e.name;
        names.push_back(e.name);
    }
    const bool lookedHadValue = !rawDosAttrib(share + "/looked").empty();

    searchStep(share, names);

    for (const Entry& e : entries) {
        SCOPED_TRACE(e.name);
        const std::string path = share + "/" + e.name;
        const SmbServer::Info after = smb.allinfo(e.name);
        EXPECT_EQ(after.attributes, e.hiddenOnly ? withoutHidden(e.before) : e.before);
        EXPECT_EQ(after.createTime, before[e.name].createTime);
        const mode_t made = e.folder ? 0755 : 0644;
        EXPECT_EQ(modeOf(path) & 07777, e.mode ? e.mode : made);
    }
    // Only looked at: no value appears (Samba's own reading made none either).
    EXPECT_FALSE(lookedHadValue);
    EXPECT_EQ(rawDosAttrib(share + "/looked"), "");
}

namespace {

// One prefix for the whole program: making it takes seconds.
class WineJudge : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder_ = std::make_unique<TempDir>();
        wine_ = std::make_unique<WinePrefix>(folder_->path());
    }
    static void TearDownTestSuite()
    {
        wine_.reset();
        folder_.reset();
    }
    void SetUp() override
    {
        if (!wine_->ready())
            GTEST_SKIP() << wine_->skipReason();
    }

    static std::unique_ptr<TempDir> folder_;
    static std::unique_ptr<WinePrefix> wine_;
    TempDir tmp;
};

std::unique_ptr<TempDir> WineJudge::folder_;
std::unique_ptr<WinePrefix> WineJudge::wine_;

} // namespace

TEST_F(WineJudge, TheSearchStepChangesNothingButTheHiddenBit)
{
    // Wine's read-only is the mode (attrib +r takes the write bits away), and
    // Wine shows every file as archived.
    const Entry entries[] = {
        {"h", false, {"+h"}, 0, "AH", true},
        {"s", false, {"+s"}, 0, "AS", false},
        {"hs", false, {"+h", "+s"}, 0, "ASH", false},
        {"r", false, {"+r"}, 0, "AR", false},
        {"rh", false, {"+r", "+h"}, 0, "AHR", true},
        {"rha", false, {"+r", "+h", "+a"}, 0, "AHR", true},
        {"hdir", true, {"+h"}, 0, "H", true},
        {"looked", false, {}, 0, "A", false},
    };
    std::vector<std::string> names;
    for (const Entry& e : entries) {
        const std::string path = tmp / e.name;
        e.folder ? makeDir(path) : makeFile(path, "x");
        for (const std::string& change : e.changes)
            wine_->attrib(path, change);
        EXPECT_EQ(wine_->attributesOf(path), e.before) << e.name;
        names.push_back(e.name);
    }
    std::map<std::string, mode_t> modes;
    for (const Entry& e : entries)
        modes[e.name] = modeOf(tmp / e.name) & 07777;

    searchStep(tmp.path(), names);

    for (const Entry& e : entries) {
        SCOPED_TRACE(e.name);
        const std::string path = tmp / e.name;
        EXPECT_EQ(wine_->attributesOf(path), e.hiddenOnly ? withoutHidden(e.before) : e.before);
        EXPECT_EQ(modeOf(path) & 07777, modes[e.name]);
    }
    EXPECT_EQ(rawDosAttrib(tmp / "looked"), "");
}
