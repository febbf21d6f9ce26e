// The journal: its lines, the file it keeps, a store that cannot take it, and
// a run ended by a signal.

#include "cli/AttribRun.h"
#include "journal/AttributeJournalFile.h"
#include "platform/AttributeJournal.h"
#include "platform/AttributeStore.h"
#include "support/TempDir.h"
#include "support/Tools.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace umbrix::test {
namespace {

namespace Attr = platform::Attr;
using platform::StoreKind;

TEST(JournalLines, EveryRecordComesBackByteForByte)
{
    const auto text = [](const JournalRecord& r) {
        return testing::PrintToString(std::tuple(r.microseconds, r.store, r.path, r.before, r.after,
                                                 r.identity.device, r.identity.inode));
    };
    for (const std::string& path :
         {std::string("/plain/name.txt"), std::string("/tab\there"), std::string("/new\nline"),
          std::string("/back\\slash\\x41"), std::string("/na\xefve\xff.dat"),
          std::string("/caf\xc3\xa9/\xe2\x82\xac"), std::string("/\x7f\x01 space /"),
          std::string("/nul\0in", 7)}) {
        const JournalRecord record{1700000000123456, "user.DOSATTRIB", path, 0x22, 0x20,
                                   {2049, 77}};
        const std::string line = journalLine(record);
        EXPECT_EQ(line.find('\n'), line.size() - 1) << line;
        JournalRecord back;
        EXPECT_TRUE(parseJournalLine(std::string_view(line).substr(0, line.size() - 1), back));
        EXPECT_EQ(text(back), text(record)) << line;
    }
    // A line of the first journals, without device:inode, still reads.
    JournalRecord old;
    ASSERT_TRUE(
        parseJournalLine("2023-11-14T22:13:20.123456Z\tx\t0x00000002\t0x00000000\t/a", old));
    EXPECT_EQ(text(old), text({1700000000123456, "x", "/a", 2, 0, {}}));
    for (const char* bad : {"", "# comment", "2023-11-14T22:13:20.123456Z\tx\t0x1\t0x0\t/a",
                            "2023-11-14T22:13:20.123456Z\tx\t0x00000001\t0x00000000\t/a\\x4",
                            "2023-11-14T22:13:20.123456Z\tx\t0x00000001\t0x00000000\t1\t/a"})
        EXPECT_FALSE(parseJournalLine(bad, old)) << bad;
}

// Sets an environment variable for the guard's lifetime ("" unsets it).
struct ScopedVariable {
    ScopedVariable(const char* name, const std::string& value)
        : name(name), previous(std::getenv(name) ? std::getenv(name) : "")
    {
        value.empty() ? ::unsetenv(name) : ::setenv(name, value.c_str(), 1);
    }
    ~ScopedVariable() { previous.empty() ? ::unsetenv(name) : ::setenv(name, previous.c_str(), 1); }
    const char* name;
    const std::string previous;
};

class JournalFiles : public ::testing::Test {
protected:
    AttributeJournalFile::Reporter reporter()
    {
        return [this](const std::string& message) { reports.push_back(message); };
    }
    // A run of its own that writes `n` records and ends.
    std::string run(const std::string& folder, int n, JournalLimits limits = {})
    {
        AttributeJournalFile journal(folder, "test", reporter(), limits);
        recordSome(journal, "/x/", n);
        journal.flush();
        return journal.path();
    }
    static void recordSome(AttributeJournalFile& journal, const std::string& prefix, int n)
    {
        for (int i = 0; i < n; ++i)
            journal.record(StoreKind::DosAttrib, prefix + std::to_string(i),
                           {1, static_cast<uint64_t>(i)}, Attr::Hidden, 0);
    }
    static JournalContents contentsOf(const std::string& path)
    {
        JournalContents contents;
        EXPECT_EQ(readJournal(path, contents), "") << path;
        return contents;
    }
    static std::vector<std::string> namesIn(const std::string& folder)
    {
        std::vector<std::string> names;
        for (const JournalFileInfo& file : journalsIn(folder))
            names.push_back(file.name);
        return names;
    }
    std::string reported() const { return testing::PrintToString(reports); }

    TempDir tmp;
    // The rescue goes into the test's own folder, never the user's.
    ScopedVariable runtime{"XDG_RUNTIME_DIR", tmp / "runtime"};
    std::vector<std::string> reports;
};

TEST_F(JournalFiles, TheCleanUpRemovesTheOldestEndedRunsBeyondCountAndSize)
{
    const std::string folder = tmp / "journal";
    EXPECT_EQ(run(folder, 0), "");
    EXPECT_FALSE(exists(folder)) << "a run that changes nothing leaves nothing";

    makeDir(folder);
    makeDir(tmp / "elsewhere");
    makeFile(tmp / "elsewhere/foreign.journal");
    ASSERT_EQ(
        ::symlink((tmp / "elsewhere/foreign.journal").c_str(), (folder + "/link.journal").c_str()),
        0);
    // Names sort against the order of the runs: only their first lines tell it.
    const auto ended = [&](int minute) {
        const std::string name = "r" + std::to_string(9 - minute) + ".journal";
        makeFile(folder + "/" + name,
                 "# Umbrix attribute journal 2: test, process 1, started 2001-01-01T00:0" +
                     std::to_string(minute) + ":00.000000Z\n" + std::string(999, '#') + "\n");
        return name;
    };
    const std::string live = ended(0);
    for (int minute = 1; minute <= 6; ++minute)
        ended(minute);
    const int held = ::open((folder + "/" + live).c_str(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0); // its run goes on

    const std::string first = run(folder, 3, {4, uint64_t{1} << 20});
    EXPECT_EQ(namesIn(folder),
              (std::vector<std::string>{live, "r5.journal", "r4.journal", "r3.journal",
                                        first.substr(folder.size() + 1)}));
    const std::string second = run(folder, 3, {20, 2500});
    EXPECT_EQ(namesIn(folder),
              (std::vector<std::string>{live, "r3.journal", first.substr(folder.size() + 1),
                                        second.substr(folder.size() + 1)}));
    ::close(held);
    EXPECT_TRUE(exists(tmp / "elsewhere/foreign.journal"));
    EXPECT_TRUE(reports.empty()) << reported();
    EXPECT_EQ(contentsOf(second).records.size(), 3u);
}

// An undo follows no link, so each record names its folder as it really is,
// however the run reached it, while the walk's folders are resolved a name at
// a time.  A walk's own record resolves its root alone: below it, the walk
// wrote through the folders it entered, whatever their names lead to now.
TEST_F(JournalFiles, EveryRecordNamesItsFolderWithoutLinks)
{
    for (const char* folder : {"real/a/b", "other"})
        ASSERT_TRUE(std::filesystem::create_directories(tmp / folder));
    ASSERT_EQ(::symlink((tmp / "real").c_str(), (tmp / "start").c_str()), 0);
    ASSERT_EQ(::symlink((tmp / "other").c_str(), (tmp / "real/a/c").c_str()), 0);
    char* resolved = ::realpath(tmp.path().c_str(), nullptr);
    const std::string real = resolved;
    std::free(resolved);
    const size_t walked = (tmp / "start/").size();
    const struct {
        const char* named;
        size_t walkRoot; // 0: not the walk's
        std::string expected;
    } records[] = {
        {"start/x", 0, "/real/x"},
        {"start/a/b/z", 0, "/real/a/b/z"},
        {"start/a/c/w", 0, "/other/w"},
        {"start/a/y", 0, "/real/a/y"},
        {"start/a/b/q", 0, "/real/a/b/q"},
        {"start/a/c/v", walked, "/real/a/c/v"},
        {"start/a/b/p", walked, "/real/a/b/p"},
        {"start/a/c/o", (tmp / "start/a/c/").size(), "/other/o"},
    };
    std::string path;
    {
        AttributeJournalFile journal(tmp / "journal", "test", reporter());
        for (const auto& r : records) {
            if (r.walkRoot)
                journal.recordWalked(StoreKind::DosAttrib, tmp / r.named, r.walkRoot, {1, 2},
                                     Attr::Hidden, 0);
            else
                journal.record(StoreKind::DosAttrib, tmp / r.named, {1, 2}, Attr::Hidden, 0);
        }
        journal.flush();
        path = journal.path();
    }
    const JournalContents contents = contentsOf(path);
    ASSERT_EQ(contents.records.size(), std::size(records));
    for (size_t i = 0; i < std::size(records); ++i)
        EXPECT_EQ(contents.records[i].path, real + records[i].expected) << records[i].named;
}

TEST_F(JournalFiles, AFolderNotPrivateToTheUserIsNeitherWrittenNorCleanedUp)
{
    makeDir(tmp / "elsewhere");
    for (int i = 0; i < 25; ++i)
        makeFile(tmp / ("elsewhere/2001010" + std::to_string(i) + "T000000.000000Z-1.journal"));
    // Each kind of folder, and what the refusal says ("": the folder is
    // taken, and closed to others).
    const std::pair<std::string, std::string> cases[] = {
        {"link", "The folder is a symbolic link"},
        {"others", "The folder belongs to another user"},
        {"file", "Not a folder"},
        {"open", ""},
    };
    for (const auto& [kind, complaint] : cases) {
        SCOPED_TRACE(kind);
        reports.clear();
        const std::string folder = tmp / kind;
        if (kind == "link")
            ASSERT_EQ(::symlink((tmp / "elsewhere").c_str(), folder.c_str()), 0);
        else if (kind == "file")
            makeFile(folder);
        else
            makeDir(folder);
        ASSERT_EQ(kind == "others" ? ::chown(folder.c_str(), 65534, 65534) : 0, 0);
        ASSERT_EQ(kind == "open" ? ::chmod(folder.c_str(), 0777) : 0, 0);
        const std::string written = run(folder, 3, {1, 1});
        if (complaint.empty()) {
            EXPECT_EQ(contentsOf(written).records.size(), 3u);
            EXPECT_EQ(modeOf(folder) & 07777, 0700u);
            EXPECT_TRUE(reports.empty()) << reported();
            continue;
        }
        EXPECT_EQ(written, "");
        ASSERT_EQ(reports.size(), 2u) << reported();
        EXPECT_NE(reports[0].find(complaint), std::string::npos) << reports[0];
        EXPECT_NE(reports[1].find(tmp / "runtime/umbrix-journal/"), std::string::npos)
            << reports[1];
    }
    EXPECT_EQ(journalsIn(tmp / "elsewhere").size(), 25u);
}

// A full store is reported once and its records wait for room.  What a
// read-only one never takes goes to a folder of the user's own: without
// $XDG_RUNTIME_DIR one of a name no one can foresee, so that one planted
// under the name the program once used takes nothing.
TEST_F(JournalFiles, AStoreThatCannotTakeTheRecordsLosesNone)
{
    // A small tmpfs of our own stands in for a full or read-only disk.
    makeDir(tmp / "small");
    ScopedMount store("tmpfs", tmp / "small", "tmpfs", 0, "size=64k,mode=0755");
    if (!store.mounted())
        GTEST_SKIP() << store.reason();
    const std::string filler = tmp / "small/filler";
    makeFile(filler, std::string(64 * 1024, 'x'));
    {
        AttributeJournalFile journal(tmp / "small/journal", "test", reporter());
        recordSome(journal, "/full/", 600);
        journal.flush();
        journal.flush();
        ASSERT_EQ(reports.size(), 1u) << reported();
        EXPECT_NE(reports[0].find("No space left on device"), std::string::npos) << reports[0];
        ASSERT_EQ(::unlink(filler.c_str()), 0);
        journal.flush();
        EXPECT_EQ(journal.pendingBytes(), 0u);
        const JournalContents contents = contentsOf(journal.path());
        ASSERT_EQ(contents.records.size(), 600u);
        for (size_t i = 0; i < contents.records.size(); ++i)
            ASSERT_EQ(contents.records[i].path, "/full/" + std::to_string(i));
    }
    ASSERT_TRUE(store.remount(MS_RDONLY));
    makeDir(tmp / "planted");
    makeDir(tmp / "tmp");
    const std::string planted = tmp / ("tmp/umbrix-journal-" + std::to_string(::getuid()));
    ASSERT_EQ(::symlink((tmp / "planted").c_str(), planted.c_str()), 0);
    for (const bool hasRuntime : {true, false}) {
        SCOPED_TRACE(hasRuntime);
        reports.clear();
        const ScopedVariable noRuntime("XDG_RUNTIME_DIR", hasRuntime ? tmp / "runtime" : "");
        const ScopedVariable tmpdir("TMPDIR", tmp / "tmp");
        run(tmp / "small/journal", 15);
        ASSERT_EQ(reports.size(), 2u) << reported();
        EXPECT_NE(reports[0].find("Read-only file system"), std::string::npos) << reports[0];
        const std::string& told = reports[1];
        const size_t at =
            told.find(hasRuntime ? tmp / "runtime/umbrix-journal/" : tmp / "tmp/umbrix-journal-");
        ASSERT_NE(at, std::string::npos) << told;
        const std::string rescued = told.substr(at, told.find(' ', at) - at);
        EXPECT_EQ(contentsOf(rescued).records.size(), 15u);
        EXPECT_EQ(modeOf(rescued.substr(0, rescued.rfind('/'))) & 0777, 0700u);
    }
    EXPECT_EQ(::rmdir((tmp / "planted").c_str()), 0) << "something was written through the link";
}

// umbrix-attrib --unhide stopped mid-way: its output is a pipe nobody reads,
// so it waits in a write once the pipe is full, and is then sent `signal`
// (or, for SIGPIPE, loses its reader).  Every change it made is in its
// journal by the time it has ended, as for Ctrl+C.
TEST(JournalSignals, ARunEndedBySignalHasJournalledEveryChangeItMade)
{
    TempDir tmp;
    makeDir(tmp / "tree");
    const std::string longName(120, 'n');
    constexpr int kFiles = 3000;
    for (int i = 0; i < kFiles; ++i)
        makeFile(tmp / ("tree/" + longName + std::to_string(i)));
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
        SCOPED_TRACE(strsignal(signal));
        for (int i = 0; i < kFiles; ++i)
            setDosAttrib(tmp / ("tree/" + longName + std::to_string(i)), Attr::Hidden);
        const std::string data = tmp / ("data" + std::to_string(signal));
        const std::string out = tmp / ("out" + std::to_string(signal));
        ASSERT_EQ(::mkfifo(out.c_str(), 0600), 0);
        const int reader = ::open(out.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        ASSERT_GE(reader, 0);
        const pid_t pid =
            startTool(UMBRIX_ATTRIB_PROGRAM, {"--unhide", tmp / "tree"}, out, tmp / "err",
                      {"XDG_DATA_HOME=" + data, "XDG_RUNTIME_DIR=" + data});
        ASSERT_GT(pid, 0);
        int queued = 0;
        for (int wait = 0; wait < 60000 && queued < 65536; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            ASSERT_EQ(::ioctl(reader, FIONREAD, &queued), 0);
        }
        ASSERT_GE(queued, 65536) << "the run never filled its pipe";
        if (signal != SIGPIPE)
            ::kill(pid, signal);
        ::close(reader);
        EXPECT_EQ(waitTool(pid), 130) << readTextFile(tmp / "err");

        int unhidden = 0;
        for (int i = 0; i < kFiles; ++i)
            unhidden +=
                (storedWord(tmp / ("tree/" + longName + std::to_string(i))) & Attr::Hidden) == 0;
        const std::vector<JournalFileInfo> files = journalsIn(data + "/Umbrix/journal");
        ASSERT_EQ(files.size(), 1u);
        JournalContents contents;
        ASSERT_EQ(readJournal(files[0].path, contents), "");
        EXPECT_GT(unhidden, 0);
        EXPECT_LT(unhidden, kFiles);
        EXPECT_EQ(contents.records.size(), static_cast<size_t>(unhidden));
    }
}

} // namespace
} // namespace umbrix::test
