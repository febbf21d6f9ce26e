#include "platform/FaultInjection.h"
#include "platform/PathChain.h"
#include "platform/PathText.h"
#include "search/ScanTreeFixture.h"
#include "search/ScanWalk.h"

#include <cerrno>
#include <sys/xattr.h>

namespace umbrix::test {
namespace {

using platform::FaultPoint;
using Logs = std::vector<RecordingScanHost::LogEntry>;

// A subfolder beside a hidden file, both hidden; the subfolder's name is not
// UTF-8, so every report must show display text.
const std::string kSub = "s\xff";
const std::string kInner = kSub + "/inner";
const std::vector<std::string> kAll{kInner, kSub, "top"};

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
        for (const std::string& entry : kAll) {
            ::removexattr(at(entry).c_str(), "user.DOSATTRIB");
            store(entry, H);
        }
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
            (c.cancel ? flags.Searching : flags.CancelSearch) = !c.cancel;
        };
        EXPECT_EQ(scan(), c.cancel);
        EXPECT_EQ(host.rows.size(), c.rows);
        // Nothing after the stop was unhidden either.
        int hidden = 0;
        for (const std::string& entry : kAll)
            hidden += (attributes(entry) & H) ? 1 : 0;
        EXPECT_EQ(hidden, 3 - static_cast<int>(c.rows));
        // After Esc the window ends the search.
        EXPECT_EQ(flags.Searching, !c.cancel);
    }
}

// Every failure is reported in the log (three lines naming the folder, the
// entry and the error), never in silence and never as done: the entry keeps
// its stored value, a folder that cannot be opened is not entered, an entry
// whose attributes cannot be read is listed only with "view all", and a
// full result list or no descriptor left ends the walk.
TEST_F(ScanInterruption, FailuresAreReportedAndLeaveTheDiskAsItWas)
{
    const std::string unable =
        std::string(scan::kUnableToAccess) + "\"" + displayText(at(kSub)) + "/\"";
    const Logs tooMany{{std::string(scan::kTooManyEntries), true}};
    struct Case {
        const char* name;
        FaultPoint point;
        std::string target; // fails at `point`; unparsable for EBADMSG
        int err;
        bool logging, viewAll;
        int rowLimit;
        bool stopped;
        std::vector<std::string> rows, untouched;
        Logs logs;
    };
    // clang-format off
    const Case cases[] = {
        // Both reads of a folder tell, whatever the failure.
        {"closed folder", FaultPoint::OpenDirectory, kSub, EACCES, false, false, -1, false,
         {kSub, "top"}, {kInner}, {{report("", EACCES)}, {report("", EACCES)}}},
        {"closed folder, logging", FaultPoint::OpenDirectory, kSub, ENAMETOOLONG, true, false, -1,
         false, {kSub, "top"}, {kInner}, {{unable}, {report("", ENAMETOOLONG)}}},
        {"closed start", FaultPoint::OpenDirectory, "", EACCES, false, false, -1, false, {}, kAll,
         {{report("", EACCES, "")}, {report("", EACCES, "")}}},
        {"no descriptor", FaultPoint::OpenDirectory, kSub, EMFILE, false, false, -1, true, {},
         {kInner}, {{report(kSub, EMFILE, ""), true}}},
        {"no file table", FaultPoint::OpenDirectory, kSub, ENFILE, false, false, -1, true, {},
         {kInner}, {{report(kSub, ENFILE, ""), true}}},
        {"unparsable folder", FaultPoint::ReadAttributes, kSub, EBADMSG, false, false, -1, false,
         {kInner, "top"}, {kSub}, {{report(kSub, EBADMSG, "")}}},
        {"unreadable folder", FaultPoint::ReadAttributes, kSub, EIO, false, false, -1, false,
         {kInner, "top"}, {kSub}, {{report(kSub, EIO, "")}}},
        {"unparsable file", FaultPoint::ReadAttributes, "top", EBADMSG, false, false, -1, false,
         {kInner, kSub}, {"top"}, {{report("top", EBADMSG, "")}}},
        {"unparsable file, view all", FaultPoint::ReadAttributes, "top", EBADMSG, false, true, -1,
         false, kAll, {"top"}, {{report("top", EBADMSG, "")}}},
        // Every refused rewrite is told, the access errors included.
        {"refused rewrite", FaultPoint::WriteAttributes, "top", EACCES, true, false, -1, false,
         kAll, {"top"}, {{report("top", EACCES, "")}}},
        {"failed rewrite", FaultPoint::WriteAttributes, kInner, EIO, true, false, -1, false, kAll,
         {kInner}, {{report("inner", EIO)}}},
        // No room ends the walk at its first row, deepest down: nothing
        // above it changes.
        {"no room to rewrite", FaultPoint::WriteAttributes, kInner, ENOMEM, true, false, -1, true,
         {}, kAll, tooMany},
        {"full list", FaultPoint::WriteAttributes, "-", 0, true, false, 0, true, {},
         {kSub, "top"}, tooMany},
        {"full list, quiet", FaultPoint::WriteAttributes, "-", 0, false, false, 0, true, {},
         {kSub, "top"}, {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        restart();
        options.LogErrors = c.logging;
        options.ViewAll = c.viewAll;
        host.rowLimit = c.rowLimit;
        if (c.err == EBADMSG) {
            const std::string garbage = "not an attribute record";
            ASSERT_EQ(::setxattr(at(c.target).c_str(), "user.DOSATTRIB", garbage.data(),
                                 garbage.size(), 0),
                      0);
        }
        std::vector<std::string> before;
        for (const std::string& entry : c.untouched)
            before.push_back(rawDosAttrib(at(entry)));
        const auto trimmed = [](std::string_view path) {
            return path.ends_with('/') ? path.substr(0, path.size() - 1) : path;
        };
        const platform::ScopedFaultHook hook([&](FaultPoint point, std::string_view path) {
            return c.err != EBADMSG && point == c.point && trimmed(path) == trimmed(at(c.target))
                       ? c.err
                       : 0;
        });
        EXPECT_EQ(scan(), c.stopped);
        EXPECT_EQ(sortedRows(), paths(c.rows));
        EXPECT_EQ(host.logs, c.logs);
        for (size_t i = 0; i < c.untouched.size(); ++i)
            EXPECT_EQ(rawDosAttrib(at(c.untouched[i])), before[i]) << displayText(c.untouched[i]);
    }
}

} // namespace
} // namespace umbrix::test
