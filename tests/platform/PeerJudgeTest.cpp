// Samba and Wine, which keep DOS attributes in user.DOSATTRIB as Umbrix
// does, set the attributes of a folder's entries, the search's attribute
// step runs over them, and the peer says what it sees afterwards.

#include "platform/AttributeStore.h"
#include "platform/FileDescriptor.h"
#include "support/SmbServer.h"
#include "support/TempDir.h"
#include "support/WinePrefix.h"

#include <fcntl.h>
#include <functional>
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

// A peer's view of a folder: it sets attributes by letter and shows them as
// its letters.  One Wine prefix serves the whole program: making it takes
// seconds.
class Judge {
public:
    virtual ~Judge() = default;
    virtual std::string skipReason() = 0; // "" when the peer can judge
    virtual std::string folder() = 0;
    virtual void set(const std::string& name, char letter) = 0;
    virtual std::string letters(const std::string& name) = 0;
    // The creation time the peer shows, where it shows one.
    virtual std::string created(const std::string&) { return {}; }
};

class SambaJudge : public Judge {
public:
    std::string skipReason() override { return smb_.running() ? "" : smb_.skipReason(); }
    std::string folder() override { return smb_.share(); }
    void set(const std::string& name, char letter) override
    {
        smb_.setmode(name, std::string("+") + letter);
    }
    std::string letters(const std::string& name) override { return smb_.allinfo(name).attributes; }
    std::string created(const std::string& name) override { return smb_.allinfo(name).createTime; }

private:
    TempDir tmp_;
    SmbServer smb_{tmp_};
};

class WineJudge : public Judge {
public:
    std::string skipReason() override { return wine().ready() ? "" : wine().skipReason(); }
    std::string folder() override { return tmp_.path(); }
    void set(const std::string& name, char letter) override
    {
        wine().attrib(tmp_ / name, std::string("+") + letter);
    }
    std::string letters(const std::string& name) override
    {
        return wine().attributesOf(tmp_ / name);
    }

private:
    static WinePrefix& wine()
    {
        static TempDir folder;
        static WinePrefix prefix(folder.path());
        return prefix;
    }
    TempDir tmp_;
};

struct PeerKind {
    const char* name;
    std::function<std::unique_ptr<Judge>()> make;
    bool sambaLetters; // else Wine's
};

class PeerJudge : public ::testing::TestWithParam<PeerKind> {};

} // namespace

// Samba keeps read-only apart from the mode: a 0444 file reads as hidden
// only, and the search must not make it read-only for Samba.  Wine's
// read-only is the mode, and Wine shows every file as archived.  Either
// way the search takes the hidden bit from the hidden entries that are not
// system entries and changes nothing else, mode included; an entry only
// looked at gets no value.
TEST_P(PeerJudge, TheSearchStepChangesNothingButTheHiddenBit)
{
    const std::unique_ptr<Judge> peer = GetParam().make();
    if (const std::string why = peer->skipReason(); !why.empty())
        GTEST_SKIP() << why;
    const struct {
        const char* name;
        bool folder;
        const char* set; // the peer's letters, one change each
        mode_t mode;     // 0: as made
        const char* samba;
        const char* wine; // "-": not asked of Wine
    } entries[] = {
        {"h", false, "h", 0, "H", "AH"},        {"s", false, "s", 0, "S", "AS"},
        {"hs", false, "hs", 0, "HS", "ASH"},    {"r", false, "r", 0, "R", "AR"},
        {"a", false, "a", 0, "A", "A"},         {"rh", false, "rh", 0, "RH", "AHR"},
        {"rha", false, "rha", 0, "RHA", "AHR"}, {"h444", false, "h", 0444, "H", "-"},
        {"hdir", true, "h", 0, "HD", "H"},      {"looked", false, "", 0, "", "A"},
    };
    const std::string folder = peer->folder();
    std::vector<std::string> names;
    std::map<std::string, mode_t> modes;
    std::map<std::string, std::string> created;
    for (const auto& e : entries) {
        if (!GetParam().sambaLetters && e.wine == std::string("-"))
            continue;
        const std::string path = folder + "/" + e.name;
        e.folder ? makeDir(path) : makeFile(path, "x");
        for (const char* letter = e.set; *letter; ++letter)
            peer->set(e.name, *letter);
        if (e.mode) {
            ASSERT_EQ(::chmod(path.c_str(), e.mode), 0);
        }
        EXPECT_EQ(peer->letters(e.name), GetParam().sambaLetters ? e.samba : e.wine) << e.name;
        modes[e.name] = modeOf(path) & 07777;
        created[e.name] = peer->created(e.name);
        names.push_back(e.name);
    }
    const bool lookedHadValue = !rawDosAttrib(folder + "/looked").empty();

    searchStep(folder, names);

    for (const auto& e : entries) {
        if (!modes.count(e.name))
            continue;
        SCOPED_TRACE(e.name);
        std::string before = GetParam().sambaLetters ? e.samba : e.wine;
        const bool unhidden = std::string(e.set).find('h') != std::string::npos &&
                              std::string(e.set).find('s') == std::string::npos;
        if (unhidden)
            before.erase(before.find('H'), 1);
        EXPECT_EQ(peer->letters(e.name), before);
        EXPECT_EQ(modeOf(folder + "/" + e.name) & 07777, modes[e.name]);
        EXPECT_EQ(peer->created(e.name), created[e.name]);
    }
    EXPECT_FALSE(lookedHadValue);
    EXPECT_EQ(rawDosAttrib(folder + "/looked"), "");
}

INSTANTIATE_TEST_SUITE_P(
    Peers, PeerJudge,
    ::testing::Values(PeerKind{"Samba", [] { return std::make_unique<SambaJudge>(); }, true},
                      PeerKind{"Wine", [] { return std::make_unique<WineJudge>(); }, false}),
    [](const auto& info) { return std::string(info.param.name); });
