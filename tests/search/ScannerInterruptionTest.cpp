#include "platform/FaultInjection.h"
#include "platform/PathChain.h"
#include "platform/PathText.h"
#include "search/ScanTreeFixture.h"

#include <cerrno>
#include <sys/xattr.h>

namespace umbrix::test {
namespace {

using platform::FaultPoint;
using Logs = std::vector<RecordingScanHost::LogEntry>;
constexpr FaultPoint Open = FaultPoint::OpenDirectory;

// A subfolder beside a hidden file, both hidden; the subfolder's name is not
// UTF-8, so every report must show display text.
const std::string kSub = "s\xff";
const std::string kInner = kSub + "/inner";

class ScanInterruption : public ScanTreeFixture {
protected:
    void SetUp() override
    {
        ScanTreeFixture::SetUp();
        folder(kSub);
        file(kInner);
        file("top");
    }
    // Starts a search over the tree with every entry hidden again.
    void restart()
    {
        freshSearch();
        for (const std::string& entry : {kSub, kInner, std::string("top")})
            store(entry, H);
    }
    int hiddenLeft() const
    {
        int left = 0;
        for (const std::string& entry : {kSub, kInner, std::string("top")})
            left += (attributes(entry) & H) ? 1 : 0;
        return left;
    }

    // Makes `point` fail with `err` for `target`, a folder spelled with or
    // without its trailing "/".
    static platform::ScopedFaultHook failing(FaultPoint point, std::string target, int err)
    {
        auto trimmed = [](std::string_view path) {
            return path.ends_with('/') ? path.substr(0, path.size() - 1) : path;
        };
        return platform::ScopedFaultHook([=](FaultPoint p, std::string_view path) {
            return p == point && trimmed(path) == trimmed(target) ? err : 0;
        });
    }

    // The three-line report of a failure on `name` in the folder `in`.
    std::string report(const std::string& name, int err, const std::string& in = kSub) const
    {
        const Error error = errorFromErrno(err);
        return "Path: \"" + displayText(withTrailingSlash(at(in))) + "\"\r\nFile: \"" +
               displayText(name) + "\"\r\nError: " + error.description + " (" +
               std::to_string(error.number) + ")";
    }
};

TEST_F(ScanInterruption, EscKeepsWhatWasFoundAndCancelDiscardsAtOnce)
{
    const struct {
        const char* when;
        bool cancel; // else Esc
        size_t atRows;
        int atYield;
        size_t rows;
    } cases[] = {
        {"Esc after a row", false, 1, -1, 1},
        {"Cancel after a row", true, 1, -1, 1},
        {"Esc while reading subfolders", false, 9, 2, 0},
        {"Cancel while reading subfolders", true, 9, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.when);
        restart();
        host.onYield = [&] {
            if (host.rows.size() != c.atRows && host.yields != c.atYield)
                return;
            if (c.cancel)
                flags.Searching = false;
            else
                flags.CancelSearch = true;
        };
        EXPECT_EQ(scan(), c.cancel);
        EXPECT_EQ(host.rows.size(), c.rows);
        // Nothing after the stop was unhidden either.
        EXPECT_EQ(hiddenLeft(), 3 - static_cast<int>(c.rows));
        // After Esc the window ends the search.
        EXPECT_EQ(flags.Searching, !c.cancel);
    }
}

TEST_F(ScanInterruption, AFullResultListEndsTheWalkLikeCancel)
{
    for (const bool logging : {true, false}) {
        restart();
        options.LogErrors = logging;
        host.rowLimit = 0;
        EXPECT_TRUE(scan());
        EXPECT_TRUE(host.rows.empty());
        // The walk ended at the first row, deepest down: nothing above it changed.
        EXPECT_EQ(attributes("top"), H);
        EXPECT_EQ(attributes(kSub), H | D);
        const Logs told{{"Too many entries found to display in listbox.", true}};
        EXPECT_EQ(host.logs, logging ? told : Logs{});
    }
}

TEST_F(ScanInterruption, AFolderThatCannotBeOpenedIsReportedAndNotEntered)
{
    const std::string unable =
        "Unable to access to the file or directory: \"" + displayText(at(kSub)) + "/\"";
    const struct {
        std::string target;
        int err;
        bool logging;
        std::vector<std::string> rows;
        Logs logs;
    } cases[] = {
        // Both reads of the folder tell, whatever the failure.
        {kSub, EACCES, false, {kSub, "top"}, {{report("", EACCES)}, {report("", EACCES)}}},
        {kSub, ENAMETOOLONG, true, {kSub, "top"}, {{unable}, {report("", ENAMETOOLONG)}}},
        {kSub,
         ENAMETOOLONG,
         false,
         {kSub, "top"},
         {{report("", ENAMETOOLONG)}, {report("", ENAMETOOLONG)}}},
        {"", EACCES, false, {}, {{report("", EACCES, "")}, {report("", EACCES, "")}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target + " " + std::to_string(c.err));
        restart();
        options.LogErrors = c.logging;
        const auto hook = failing(Open, at(c.target), c.err);
        EXPECT_FALSE(scan());
        EXPECT_EQ(sortedRows(), paths(c.rows));
        EXPECT_EQ(host.logs, c.logs);
        EXPECT_EQ(attributes(kInner), H);
        // Reading the start folder 4, listing it 2.
        EXPECT_EQ(flags.ScannedCount, c.target.empty() ? 0 : 6);
    }
}

TEST_F(ScanInterruption, NoDescriptorLeftEndsTheWalkWithOneReport)
{
    for (const int err : {EMFILE, ENFILE}) {
        restart();
        const auto hook = failing(Open, at(kSub), err);
        EXPECT_TRUE(scan());
        EXPECT_EQ(host.logs, (Logs{{report(kSub, err, ""), true}}));
        EXPECT_EQ(attributes(kInner), H);
    }
}

// An entry whose attributes cannot be read is reported, never overwritten,
// and listed only with "view all"; a folder among them is still searched.
TEST_F(ScanInterruption, AttributesThatCannotBeReadAreReportedAndNeverOverwritten)
{
    const std::string garbage = "not an attribute record";
    struct Case {
        const char* how;
        std::string entry;
        std::function<platform::ScopedFaultHook()> fail;
        int err;
        bool viewAll;
    };
    const auto unparsable = [&](const std::string& entry) {
        EXPECT_EQ(::setxattr(at(entry).c_str(), "user.DOSATTRIB", garbage.data(), garbage.size(), 0),
                  0);
        return platform::ScopedFaultHook({});
    };
    const Case cases[] = {
        {"unparsable folder", kSub, [&] { return unparsable(kSub); }, EBADMSG, false},
        {"failing read", kSub, [&] { return failing(FaultPoint::ReadAttributes, at(kSub), EIO); },
         EIO, false},
        {"unparsable file", "top", [&] { return unparsable("top"); }, EBADMSG, false},
        {"unparsable file, view all", "top", [&] { return unparsable("top"); }, EBADMSG, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        restart();
        options.ViewAll = c.viewAll;
        const auto hook = c.fail();
        const std::string before = rawDosAttrib(at(c.entry));
        EXPECT_FALSE(scan());
        std::vector<std::string> rows{kInner, kSub, "top"};
        if (!c.viewAll)
            std::erase(rows, c.entry);
        EXPECT_EQ(sortedRows(), paths(rows));
        EXPECT_EQ(host.logs, (Logs{{report(c.entry, c.err, "")}}));
        EXPECT_EQ(rawDosAttrib(at(c.entry)), before);
        for (const std::string& other : rows)
            EXPECT_EQ(other == c.entry || !(attributes(other) & H), true) << other;
        ASSERT_EQ(::removexattr(at(c.entry).c_str(), "user.DOSATTRIB"), 0);
    }
}

TEST_F(ScanInterruption, ARefusedRewriteStillListsAndLeavesTheDiskAsItWas)
{
    const std::vector<std::string> all{kInner, kSub, "top"};
    const struct {
        std::string target;
        int err;
        std::vector<std::string> rows;
        Logs logs;
    } cases[] = {
        // Every refusal is told, the access errors included.
        {"top", EACCES, all, {{report("top", EACCES, "")}}},
        {kInner, EIO, all, {{report("inner", EIO)}}},
        // No room left ends the walk as a full result list does.
        {kInner, ENOMEM, {}, {{"Too many entries found to display in listbox.", true}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.err);
        restart();
        options.LogErrors = true;
        const auto hook = failing(FaultPoint::WriteAttributes, at(c.target), c.err);
        EXPECT_EQ(scan(), c.err == ENOMEM);
        EXPECT_EQ(sortedRows(), paths(c.rows));
        EXPECT_EQ(host.logs, c.logs);
        EXPECT_EQ(attributes(c.target), H);
    }
}

} // namespace
} // namespace umbrix::test
