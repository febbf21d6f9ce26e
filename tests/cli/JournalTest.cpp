// The journal: what the stores tell it, the file it keeps, and a store that
// cannot take it.

#include "log/AttributeJournalFile.h"
#include "platform/AttributeJournal.h"
#include "platform/AttributeStore.h"
#include "platform/FolderHandle.h"
#include "support/NtfsVolume.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace umbrix::test {
namespace {

namespace Attr = platform::Attr;
using platform::StoreKind;

struct Seen {
    StoreKind store;
    std::string path;
    uint32_t before;
    uint32_t after;
    bool operator==(const Seen&) const = default;
};

class RecordingJournal : public platform::AttributeJournal {
public:
    void record(StoreKind store, std::string_view path, uint32_t before, uint32_t after) override
    {
        seen.push_back({store, std::string(path), before, after});
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
        ASSERT_EQ(attributes.unhide(name, folder + "/" + name, stored), 0) << name;
    }
}

TEST(JournalLines, EveryPathComesBackByteForByte)
{
    const std::string paths[] = {
        "/plain/name.txt",   "/tab\there",        "/new\nline",
        "/back\\slash\\x41", "/na\xefve\xff.dat", "/caf\xc3\xa9/\xe2\x82\xac",
        "/\x7f\x01",         "/ space /",         std::string("/nul\0in", 7),
    };
    for (const std::string& path : paths) {
        JournalRecord record{1700000000123456, "user.DOSATTRIB", path, 0x22, 0x20};
        const std::string line = journalLine(record);
        ASSERT_TRUE(line.ends_with("\n"));
        EXPECT_EQ(line.find('\n'), line.size() - 1);
        JournalRecord back;
        ASSERT_TRUE(parseJournalLine(std::string_view(line).substr(0, line.size() - 1), back))
            << line;
        EXPECT_EQ(back.path, path);
        EXPECT_EQ(back.microseconds, record.microseconds);
        EXPECT_EQ(back.before, 0x22u);
        EXPECT_EQ(back.after, 0x20u);
        EXPECT_EQ(back.store, "user.DOSATTRIB");
    }
    EXPECT_EQ(journalTime(1700000000123456), "2023-11-14T22:13:20.123456Z");
    JournalRecord ignored;
    for (const char* bad : {"", "# comment", "2023-11-14T22:13:20.123456Z\tx\t0x1\t0x0\t/a",
                            "2023-11-14T22:13:20.123456Z\tx\t0x00000001\t0x00000000\t/a\\x4"})
        EXPECT_FALSE(parseJournalLine(bad, ignored)) << bad;
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
    EXPECT_EQ(journal.seen,
              (std::vector<Seen>{
                  {store, tmp / "f", 0, Attr::Hidden | Attr::Archive},
                  {store, tmp / "f", Attr::Hidden | Attr::Archive, Attr::Archive},
                  // The word as an undo will read it: read-only from the mode included.
                  {store, tmp / "locked", Attr::Hidden | Attr::ReadOnly, Attr::ReadOnly},
                  {store, tmp / "dir", Attr::Hidden | Attr::Directory, Attr::Directory},
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

class JournalFiles : public ::testing::Test {
protected:
    AttributeJournalFile::Reporter reporter()
    {
        return [this](const std::string& message) { reports.push_back(message); };
    }
    static void recordSome(AttributeJournalFile& journal, const std::string& prefix, int n)
    {
        for (int i = 0; i < n; ++i)
            journal.record(StoreKind::DosAttrib, prefix + std::to_string(i), Attr::Hidden, 0);
    }
    static JournalContents contentsOf(const std::string& path)
    {
        JournalContents contents;
        EXPECT_EQ(readJournal(path, contents), 0) << path;
        return contents;
    }

    TempDir tmp;
    std::vector<std::string> reports;
};

TEST_F(JournalFiles, ARunThatChangesNothingLeavesNoFileAndTheLast20RunsAreKept)
{
    const std::string folder = tmp / "journal";
    {
        AttributeJournalFile idle(folder, "test", reporter());
    }
    EXPECT_FALSE(exists(folder));

    makeDir(folder);
    for (int i = 0; i < 25; ++i)
        makeFile(folder + "/2001010" + std::to_string(i / 10) + "T000000.00000" +
                     std::to_string(i % 10) + "Z-1.journal",
                 "");
    makeFile(folder + "/unrelated.txt", "");
    std::string path;
    {
        AttributeJournalFile journal(folder, "test", reporter());
        recordSome(journal, "/x/", 3);
        EXPECT_TRUE(journal.path().empty()) << "written before a batch is full";
        journal.flush();
        path = journal.path();
    }
    const std::vector<std::string> files = journalFiles(folder);
    ASSERT_EQ(files.size(), AttributeJournalFile::kKeptRuns);
    EXPECT_EQ(files.back(), path);
    EXPECT_EQ(files.front(), folder + "/20010100T000000.000006Z-1.journal");
    EXPECT_TRUE(exists(folder + "/unrelated.txt"));
    EXPECT_EQ(contentsOf(path).records.size(), 3u);
    EXPECT_TRUE(reports.empty());
}

TEST_F(JournalFiles, ALineTornByACrashIsSkippedAndCounted)
{
    const std::string path = tmp / "torn.journal";
    JournalRecord record{1700000000000000, "user.DOSATTRIB", "/a", 2, 0};
    std::string text = "# header\n" + journalLine(record) + journalLine(record);
    text += journalLine(record).substr(0, 20);
    makeFile(path, text);
    const JournalContents contents = contentsOf(path);
    EXPECT_EQ(contents.records.size(), 2u);
    EXPECT_EQ(contents.unreadable, 1);
}

// A small tmpfs of our own stands in for a full or read-only disk.
ScopedMount storeOfItsOwn(const std::string& folder)
{
    makeDir(folder);
    return ScopedMount("tmpfs", folder, "tmpfs", 0, "size=64k,mode=0755");
}

TEST_F(JournalFiles, AFullStoreIsReportedOnceAndItsRecordsWaitForRoom)
{
    ScopedMount store = storeOfItsOwn(tmp / "small");
    if (!store.mounted())
        GTEST_SKIP() << store.reason();
    const std::string filler = tmp / "small/filler";
    {
        const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        const std::string block(4096, 'x');
        while (::write(fd, block.data(), block.size()) > 0) {
        }
        ::close(fd);
    }
    AttributeJournalFile journal(tmp / "small/journal", "test", reporter());
    recordSome(journal, "/full/", 600);
    journal.flush();
    journal.flush();
    ASSERT_EQ(reports.size(), 1u) << testing::PrintToString(reports);
    EXPECT_NE(reports[0].find("No space left on device"), std::string::npos) << reports[0];
    EXPECT_GT(journal.pendingBytes(), 0u);

    ASSERT_EQ(::unlink(filler.c_str()), 0);
    journal.flush();
    EXPECT_EQ(journal.pendingBytes(), 0u);
    const JournalContents contents = contentsOf(journal.path());
    ASSERT_EQ(contents.records.size(), 600u);
    EXPECT_EQ(contents.unreadable, 0);
    for (size_t i = 0; i < contents.records.size(); ++i)
        ASSERT_EQ(contents.records[i].path, "/full/" + std::to_string(i));
    EXPECT_EQ(reports.size(), 1u);
}

TEST_F(JournalFiles, AReadOnlyStoreSendsTheRecordsToTheTemporaryFolderAndSaysWhere)
{
    ScopedMount store = storeOfItsOwn(tmp / "ro");
    if (!store.mounted())
        GTEST_SKIP() << store.reason();
    ASSERT_TRUE(store.remount(MS_RDONLY));
    makeDir(tmp / "rescue");
    const char* previous = std::getenv("TMPDIR");
    const std::string kept = previous ? previous : "";
    ::setenv("TMPDIR", (tmp / "rescue").c_str(), 1);
    {
        AttributeJournalFile journal(tmp / "ro/journal", "test", reporter());
        recordSome(journal, "/ro/", 10);
        journal.flush();
        EXPECT_EQ(reports.size(), 1u);
        recordSome(journal, "/ro/more", 5);
    }
    previous ? ::setenv("TMPDIR", kept.c_str(), 1) : ::unsetenv("TMPDIR");

    ASSERT_EQ(reports.size(), 2u) << testing::PrintToString(reports);
    EXPECT_NE(reports[0].find("Read-only file system"), std::string::npos) << reports[0];
    const std::vector<std::string> rescued =
        journalFiles(tmp / ("rescue/umbrix-journal-" + std::to_string(::getuid())));
    ASSERT_EQ(rescued.size(), 1u);
    EXPECT_NE(reports[1].find(rescued[0]), std::string::npos) << reports[1];
    EXPECT_EQ(contentsOf(rescued[0]).records.size(), 15u);
}

} // namespace
} // namespace umbrix::test
