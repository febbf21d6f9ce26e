#include "platform/FaultInjection.h"
#include "platform/PathText.h"
#include "search/ScanCriteria.h"
#include "search/ScanTreeFixture.h"

#include <cerrno>
#include <sys/xattr.h>

namespace umbrix::test {
namespace {

constexpr uint32_t H = platform::Attr::Hidden;
constexpr uint32_t D = platform::Attr::Directory;

using platform::FaultPoint;

// A tree with one troublesome subfolder "sub" beside an ordinary hidden file.
class ScanFailures : public ScanTreeFixture {
protected:
    void SetUp() override
    {
        ScanTreeFixture::SetUp();
        folder("sub", H);
        file("sub/inner", H);
        file("top", H);
    }

    // Makes `point` fail with `err` for the entry `relative` (either spelling
    // of a folder: with or without its trailing "/").
    platform::ScopedFaultHook failing(FaultPoint point, const std::string& relative, int err)
    {
        const std::string target = at(relative);
        return platform::ScopedFaultHook([=](FaultPoint p, std::string_view path) {
            if (p != point)
                return 0;
            if (!path.empty() && path.back() == '/')
                path.remove_suffix(1);
            return path == target ? err : 0;
        });
    }

    std::string report(const std::string& folderText, const std::string& name, int err) const
    {
        const Error error = errorFromErrno(err);
        return "Path: \"" + folderText + "\"\r\nFile: \"" + name + "\"\r\nError: " +
               error.description + " (" + std::to_string(error.number) + ")";
    }
};

TEST_F(ScanFailures, UnreadableFolderIsListedButNotEntered)
{
    auto hook = failing(FaultPoint::OpenDirectory, "sub", EACCES);
    EXPECT_FALSE(scan());
    EXPECT_EQ(sortedRows(), paths({"sub", "top"}));
    EXPECT_EQ(attributes("sub/inner"), H);
    EXPECT_EQ(attributes("sub"), D);
    EXPECT_TRUE(host.logs.empty());
}

TEST_F(ScanFailures, FolderFailuresAreReportedByBothReads)
{
    // Not found: GetSubFolders reports and goes on, the listing reports too.
    // Anything unforeseen: both report, and GetSubFolders gives up.
    for (const int err : {ENOENT, EIO}) {
        store("sub", H);
        store("top", H);
        RecordingScanHost seen;
        auto hook = failing(FaultPoint::OpenDirectory, "sub", err);
        ScanFolder(seen, root(), root());
        EXPECT_EQ(seen.rows.size(), 2u) << err;
        ASSERT_EQ(seen.logs.size(), 2u) << err;
        EXPECT_EQ(seen.logs[0].text, report(at("sub") + "/", "", err));
        EXPECT_EQ(seen.logs[1].text, seen.logs[0].text);
        EXPECT_FALSE(seen.logs[0].forceView);
        EXPECT_EQ(attributes("sub/inner"), H);
    }
    EXPECT_NE(report("", "", ENOENT).find("Error: " + errorFromErrno(ENOENT).description + " (53)"),
              std::string::npos);
}

TEST_F(ScanFailures, OverlongFolderNameIsLoggedOnlyWhenLogging)
{
    {
        auto hook = failing(FaultPoint::OpenDirectory, "sub", ENAMETOOLONG);
        scan();
        EXPECT_TRUE(host.logs.empty());
        EXPECT_EQ(attributes("sub/inner"), H);
    }
    store("sub", H);
    app().LogErrors = true;
    RecordingScanHost logging;
    auto hook = failing(FaultPoint::OpenDirectory, "sub", ENAMETOOLONG);
    ScanFolder(logging, root(), root());
    ASSERT_EQ(logging.logs.size(), 1u);
    EXPECT_EQ(logging.logs[0].text,
              "Unable to access to the file or directory: \"" + at("sub") + "/\"");
    EXPECT_FALSE(logging.logs[0].forceView);
}

TEST_F(ScanFailures, UnreadableStartFolderListsNothing)
{
    const auto hook = platform::ScopedFaultHook([&](FaultPoint p, std::string_view path) {
        return p == FaultPoint::OpenDirectory && path == root() + "/" ? EACCES : 0;
    });
    EXPECT_FALSE(scan());
    EXPECT_TRUE(host.rows.empty());
    EXPECT_TRUE(host.logs.empty());
    EXPECT_EQ(app().ScannedCount, 0);
}

TEST_F(ScanFailures, RefusedRewriteStillListsAndLeavesTheDiskAlone)
{
    auto hook = failing(FaultPoint::WriteAttributes, "top", EACCES);
    EXPECT_FALSE(scan());
    EXPECT_EQ(sortedRows(), paths({"sub/inner", "sub", "top"}));
    EXPECT_EQ(attributes("top"), H);
    EXPECT_EQ(attributes("sub"), D);
    EXPECT_TRUE(host.logs.empty());
    EXPECT_EQ(app().ScannedCount, 4 + 3 + 1 + 2);
}

TEST_F(ScanFailures, UnexpectedRewriteFailureIsReportedAgainstTheEntry)
{
    auto hook = failing(FaultPoint::WriteAttributes, "sub/inner", EIO);
    scan();
    EXPECT_EQ(sortedRows(), paths({"sub/inner", "sub", "top"}));
    EXPECT_EQ(attributes("sub/inner"), H);
    ASSERT_EQ(host.logs.size(), 1u);
    EXPECT_EQ(host.logs[0].text, report(at("sub") + "/", "inner", EIO));
}

TEST_F(ScanFailures, RewriteOutOfMemoryEndsTheWalk)
{
    app().LogErrors = true;
    auto hook = failing(FaultPoint::WriteAttributes, "sub/inner", ENOMEM);
    EXPECT_TRUE(scan());
    EXPECT_TRUE(host.rows.empty());
    ASSERT_EQ(host.logs.size(), 1u);
    EXPECT_TRUE(host.logs[0].forceView);
    EXPECT_EQ(attributes("top"), H);
}

TEST_F(ScanFailures, UnreadableAttributesAreNeverOverwritten)
{
    const std::string garbage = "not an attribute record";
    ASSERT_EQ(::setxattr(at("top").c_str(), "user.DOSATTRIB", garbage.data(), garbage.size(), 0), 0);
    scan();
    EXPECT_EQ(sortedRows(), paths({"sub/inner", "sub"}));
    EXPECT_EQ(rawDosAttrib(at("top")), garbage);

    app().ViewAll = true;
    RecordingScanHost all;
    ScanFolder(all, root(), root());
    EXPECT_NE(std::find(all.rows.begin(), all.rows.end(), at("top")), all.rows.end());
    EXPECT_EQ(rawDosAttrib(at("top")), garbage);
}

TEST_F(ScanFailures, UnreadableAttributesOfAFolderKeepTheWalkOut)
{
    // Such a folder reads as no attributes at all, the directory bit
    // included, exactly as an entry that cannot be queried.
    auto hook = failing(FaultPoint::ReadAttributes, "sub", EIO);
    scan();
    EXPECT_EQ(sortedRows(), paths({"top"}));
    EXPECT_EQ(attributes("sub/inner"), H);
    EXPECT_TRUE(host.logs.empty());
}

// Names are bytes: whatever a folder holds is listed and unhidden exactly.
class ScanOddNames : public ScanTreeFixture {};

TEST_F(ScanOddNames, AreListedAndUnhiddenByteExactly)
{
    const std::vector<std::string> names{
        "latin1-caf\xe9", "broken-\xff\xfe", "line\nbreak", " leading", "trailing ",
        std::string(255, 'n'), "tab\there", "*?<>|\"",
    };
    folder("caf\xe9-dir");
    for (const std::string& name : names) {
        file(name, H);
        file("caf\xe9-dir/" + name, H);
    }
    EXPECT_FALSE(scan());
    std::vector<std::string> expected;
    for (const std::string& name : names) {
        expected.push_back(name);
        expected.push_back("caf\xe9-dir/" + name);
    }
    EXPECT_EQ(sortedRows(), paths(expected));
    for (const std::string& name : expected)
        EXPECT_EQ(attributes(name), 0u) << displayText(name);
}

TEST_F(ScanOddNames, CriteriaMatchWhatThePersonSees)
{
    folder("caf\xe9");
    file("caf\xe9/inner", H);
    file("outer", H);
    app().SearchCriteria = "CAF\\XE9/";
    scan();
    EXPECT_EQ(host.rows, paths({"caf\xe9/inner"}));
    EXPECT_EQ(attributes("outer"), 0u);
}

TEST_F(ScanFailures, ReportsShowDisplayText)
{
    folder("bad\xff");
    file("bad\xff/x", H);
    auto hook = failing(FaultPoint::WriteAttributes, "bad\xff/x", EIO);
    scan();
    ASSERT_EQ(host.logs.size(), 1u);
    EXPECT_EQ(host.logs[0].text, report(displayText(at("bad\xff")) + "/", "x", EIO));
}

TEST(ScanCriteria, ContainsWithoutRegardToCase)
{
    EXPECT_TRUE(folderContainsCriteria("/home/Ann/Data/", ""));
    EXPECT_TRUE(folderContainsCriteria("/home/Ann/Data/", "ann/data/"));
    EXPECT_TRUE(folderContainsCriteria("/home/Ann/Data/", "/HOME/"));
    EXPECT_FALSE(folderContainsCriteria("/home/Ann/Data/", "ann/data/x"));
    EXPECT_FALSE(folderContainsCriteria("/home/", "/home/Ann/"));
    EXPECT_TRUE(folderContainsCriteria("/Caf\xc3\xa9/", "caf\xc3\xa9"));
    // Invalid bytes match their visible form, never the raw byte.
    EXPECT_TRUE(folderContainsCriteria("/a\xff/", "A\\xfF"));
    EXPECT_FALSE(folderContainsCriteria("/a\xff/", "a\xff"));
}

} // namespace
} // namespace umbrix::test
