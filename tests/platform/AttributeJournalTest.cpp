// What the attribute stores tell the journal: every change, by whatever way
// it was made, and nothing else.

#include "platform/AttributeJournal.h"
#include "platform/AttributeStore.h"
#include "platform/FolderHandle.h"
#include "support/NtfsVolume.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace umbrix::test {
namespace {

namespace Attr = platform::Attr;
using platform::StoreKind;

struct Seen {
    StoreKind store;
    std::string path;
    uint32_t before;
    uint32_t after;
    platform::JournalIdentity identity;
    bool operator==(const Seen&) const = default;
};

platform::JournalIdentity identityOf(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return {st.st_dev, st.st_ino};
}

class RecordingJournal : public platform::AttributeJournal {
public:
    void record(StoreKind store, std::string_view path, platform::JournalIdentity identity,
                uint32_t before, uint32_t after) override
    {
        seen.push_back({store, std::string(path), before, after, identity});
    }
    void flush() override { ++flushes; }
    std::vector<Seen> seen;
    int flushes = 0;
};

// The search's unhide step on entries of `folder`, which it holds open.
void unhideIn(const std::string& folder, std::initializer_list<const char*> names)
{
    platform::FileDescriptor fd;
    ASSERT_EQ(platform::openFolder(folder, fd), 0);
    platform::FolderAttributes attributes;
    platform::FolderIdentity identity;
    ASSERT_EQ(platform::FolderAttributes::of(fd.get(), attributes, identity), 0);
    for (const char* name : names) {
        uint32_t stored = 0;
        const std::string path = folder + "/" + name;
        struct stat st {};
        ASSERT_EQ(::lstat(path.c_str(), &st), 0) << name;
        ASSERT_EQ(attributes.unhide(name, st.st_ino, S_ISDIR(st.st_mode), path, stored), 0) << name;
    }
}

TEST(JournalSeam, TheStoresTellEveryChangeAndNothingElse)
{
    TempDir tmp;
    makeFile(tmp / "f", "x");
    makeFile(tmp / "locked", "x");
    ASSERT_EQ(::chmod((tmp / "locked").c_str(), 0444), 0);
    makeFile(tmp / "both", "x");
    makeDir(tmp / "dir");
    setDosAttrib(tmp / "both", Attr::Hidden | Attr::System);
    setDosAttrib(tmp / "locked", Attr::Hidden);
    setDosAttrib(tmp / "dir", Attr::Hidden);

    RecordingJournal journal;
    {
        const platform::ScopedAttributeJournal installed(journal);
        ASSERT_EQ(platform::storeAttributes(tmp / "f", Attr::Hidden | Attr::Archive), 0);
        ASSERT_EQ(platform::storeAttributes(tmp / "f", Attr::Hidden | Attr::Archive), 0);
        ASSERT_EQ(platform::storeAttributes(tmp / "f", Attr::Archive), 0);
        unhideIn(tmp.path(), {"both", "locked", "locked", "dir"});
    }
    ASSERT_EQ(platform::storeAttributes(tmp / "f", 0), 0); // none installed any more

    const StoreKind store = StoreKind::DosAttrib;
    const platform::JournalIdentity f = identityOf(tmp / "f");
    EXPECT_EQ(journal.seen,
              (std::vector<Seen>{
                  {store, tmp / "f", 0, Attr::Hidden | Attr::Archive, f},
                  {store, tmp / "f", Attr::Hidden | Attr::Archive, Attr::Archive, f},
                  // The word as an undo will read it: the mode gives no read-only.
                  {store, tmp / "locked", Attr::Hidden, 0, identityOf(tmp / "locked")},
                  {store, tmp / "dir", Attr::Hidden | Attr::Directory, Attr::Directory,
                   identityOf(tmp / "dir")},
              }));
    uint32_t word = 0;
    ASSERT_EQ(platform::queryAttributes(tmp / "locked", word), 0);
    EXPECT_EQ(word, journal.seen[2].after);
}

TEST(JournalSeam, AnNtfsVolumeIsJournalledUnderItsOwnStore)
{
    TempDir tmp;
    NtfsVolume volume(tmp.path());
    if (!volume.mounted())
        GTEST_SKIP() << volume.skipReason();
    makeFile(volume.root() + "/f", "x");
    RecordingJournal journal;
    const platform::ScopedAttributeJournal installed(journal);
    ASSERT_EQ(platform::storeAttributes(volume.root() + "/f", Attr::Hidden), 0);
    unhideIn(volume.root(), {"f"});
    ASSERT_EQ(journal.seen.size(), 2u);
    EXPECT_EQ(journal.seen[0].store, StoreKind::Ntfs);
    EXPECT_EQ(journal.seen[1].before & Attr::Hidden, Attr::Hidden);
    EXPECT_EQ(journal.seen[1].after, journal.seen[1].before & ~Attr::Hidden);
    EXPECT_EQ(platform::storeName(journal.seen[1].store), "system.ntfs_attrib");
}

} // namespace
} // namespace umbrix::test
