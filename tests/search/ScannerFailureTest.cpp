#include "search/ScanTreeFixture.h"

#include "platform/FaultInjection.h"
#include "platform/PathText.h"

#include <cerrno>
#include <sys/xattr.h>

namespace umbrix::test {
namespace {

using platform::FaultPoint;
using Logs = std::vector<RecordingScanHost::LogEntry>;

// A troublesome subfolder beside an ordinary hidden file.  Its name is not
// UTF-8, so every report must show display text.
const std::string kSub = "s\xff";

class ScanFailures : public ScanTreeFixture {
protected:
    void SetUp() override
    {
        ScanTreeFixture::SetUp();
        folder(kSub);
        file(kSub + "/inner");
        file("top");
        hideAll();
    }
    void hideAll()
    {
        for (const std::string& entry : {kSub, kSub + "/inner", std::string("top")})
            store(entry, H);
    }

    // Makes `point` fail with `err` for the entry `relative`, a folder
    // spelled with or without its trailing "/" ("" is the start folder).
    static platform::ScopedFaultHook failing(FaultPoint point, std::string target, int err)
    {
        auto trimmed = [](std::string_view path) {
            return !path.empty() && path.back() == '/' ? path.substr(0, path.size() - 1) : path;
        };
        return platform::ScopedFaultHook([=](FaultPoint p, std::string_view path) {
            return p == point && trimmed(path) == trimmed(target) ? err : 0;
        });
    }

    std::string report(const std::string& name, int err) const
    {
        const Error error = errorFromErrno(err);
        return "Path: \"" + displayText(at(kSub)) + "/\"\r\nFile: \"" + name + "\"\r\nError: " + error.description +
               " (" + std::to_string(error.number) + ")";
    }
};

TEST_F(ScanFailures, AFolderThatCannotBeReadIsNotEntered)
{
    const std::string unable = "Unable to access to the file or directory: \"" + displayText(at(kSub)) + "/\"";
    struct Case {
        const char* what;
        FaultPoint point;
        std::string target;
        int err;
        bool logging;
        std::vector<std::string> rows;
        Logs logs;
        int scanned;
    };
    const Case cases[] = {
        {"refused", FaultPoint::OpenDirectory, kSub, EACCES, false, {kSub, "top"}, {}, 6},
        // Both reads of the folder tell.
        {"gone", FaultPoint::OpenDirectory, kSub, ENOENT, false, {kSub, "top"}, {{report("", ENOENT)}, {report("", ENOENT)}}, 6},
        {"broken", FaultPoint::OpenDirectory, kSub, EIO, false, {kSub, "top"}, {{report("", EIO)}, {report("", EIO)}}, 6},
        {"too long", FaultPoint::OpenDirectory, kSub, ENAMETOOLONG, false, {kSub, "top"}, {}, 6},
        {"too long, logging", FaultPoint::OpenDirectory, kSub, ENAMETOOLONG, true, {kSub, "top"}, {{unable}}, 6},
        // Unreadable attributes read as none, the directory bit included.
        {"no attributes", FaultPoint::ReadAttributes, kSub, EIO, false, {"top"}, {}, 6},
        {"start folder", FaultPoint::OpenDirectory, "", EACCES, false, {}, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        freshSearch();
        hideAll();
        app().LogErrors = c.logging;
        const auto hook = failing(c.point, at(c.target), c.err);
        EXPECT_FALSE(scan());
        EXPECT_EQ(sortedRows(), paths(c.rows));
        EXPECT_EQ(host.logs, c.logs);
        EXPECT_EQ(attributes(kSub + "/inner"), H);
        EXPECT_EQ(app().ScannedCount, c.scanned);
    }
}

TEST_F(ScanFailures, ARefusedRewriteStillListsAndLeavesTheDiskAsItWas)
{
    struct Case {
        std::string target;
        int err;
        bool stopped;
        std::vector<std::string> rows;
        Logs logs;
    };
    const std::vector<std::string> all{kSub + "/inner", kSub, "top"};
    const Case cases[] = {
        {"top", EACCES, false, all, {}},
        {kSub + "/inner", EIO, false, all, {{report("inner", EIO)}}},
        // No room left ends the walk as a full result list does.
        {kSub + "/inner", ENOMEM, true, {}, {{"Too many entries found to display in listbox.", true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.err);
        freshSearch();
        hideAll();
        app().LogErrors = true;
        const auto hook = failing(FaultPoint::WriteAttributes, at(c.target), c.err);
        EXPECT_EQ(scan(), c.stopped);
        EXPECT_EQ(sortedRows(), paths(c.rows));
        EXPECT_EQ(host.logs, c.logs);
        EXPECT_EQ(attributes(c.target), H);
    }
}

TEST_F(ScanFailures, AttributesThatCannotBeReadAreNeverOverwritten)
{
    const std::string garbage = "not an attribute record";
    ASSERT_EQ(::setxattr(at("top").c_str(), "user.DOSATTRIB", garbage.data(), garbage.size(), 0), 0);
    scan();
    EXPECT_EQ(sortedRows(), paths({kSub + "/inner", kSub}));
    EXPECT_EQ(rawDosAttrib(at("top")), garbage);

    freshSearch();
    app().ViewAll = true;
    scan();
    EXPECT_EQ(sortedRows(), paths({kSub + "/inner", kSub, "top"}));
    EXPECT_EQ(rawDosAttrib(at("top")), garbage);
}

} // namespace
} // namespace umbrix::test
