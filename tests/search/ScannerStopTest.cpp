#include "search/ScanTreeFixture.h"

#include <chrono>
#include <limits>

namespace umbrix::test {
namespace {

constexpr uint32_t H = platform::Attr::Hidden;

class ScanStops : public ScanTreeFixture {
protected:
    void SetUp() override
    {
        ScanTreeFixture::SetUp();
        folder("a");
        for (int i = 0; i < 5; ++i)
            file("a/deep" + std::to_string(i), H);
        for (int i = 0; i < 5; ++i)
            file("top" + std::to_string(i), H);
    }
    int hiddenLeft() const
    {
        int left = 0;
        for (int i = 0; i < 5; ++i) {
            left += (attributes("a/deep" + std::to_string(i)) & H) ? 1 : 0;
            left += (attributes("top" + std::to_string(i)) & H) ? 1 : 0;
        }
        return left;
    }
};

TEST_F(ScanStops, EscInTheMiddleKeepsWhatWasFoundAndStopsAtOnce)
{
    // Let three rows arrive, then press Esc at the next yield.
    size_t rowsAtEsc = 0;
    host.onEveryYield([&] {
        if (host.rows.size() == 3 && !app().CancelSearch) {
            app().CancelSearch = true;
            rowsAtEsc = host.rows.size();
        }
    });
    EXPECT_FALSE(scan());
    EXPECT_EQ(rowsAtEsc, 3u);
    EXPECT_EQ(host.rows.size(), 3u);
    EXPECT_TRUE(app().Searching);
    EXPECT_TRUE(host.captions.empty());
    // Nothing after the Esc was unhidden either.
    EXPECT_EQ(hiddenLeft(), 7);
}

TEST_F(ScanStops, CancelDiscardsAndReturnsTrueFromEveryLevel)
{
    host.onEveryYield([&] {
        if (host.rows.size() == 2)
            app().Searching = false;
    });
    EXPECT_TRUE(scan());
    EXPECT_EQ(host.rows.size(), 2u);
    EXPECT_EQ(hiddenLeft(), 8);
}

TEST_F(ScanStops, AStopWhileReadingSubfoldersListsNothing)
{
    host.atYield(2, [] { app().CancelSearch = true; });
    EXPECT_FALSE(scan());
    EXPECT_TRUE(host.rows.empty());
    EXPECT_EQ(hiddenLeft(), 10);

    resetAppState();
    app().SearchSubDirs = true;
    RecordingScanHost second;
    second.atYield(1, [] { app().Searching = false; });
    EXPECT_TRUE(ScanFolder(second, root(), root()));
    EXPECT_TRUE(second.rows.empty());
}

TEST_F(ScanStops, InterruptedGetSubFoldersReturnsNothing)
{
    folder("b");
    folder("c");
    app().Searching = true;
    std::vector<std::string> subFolders;
    // Esc once two subfolders are known: the partial list is not used.
    host.onEveryYield([&] {
        if (subFolders.size() == 2)
            app().CancelSearch = true;
    });
    EXPECT_EQ(GetSubFolders(host, root(), subFolders), 0);
    EXPECT_TRUE(subFolders.empty());
    EXPECT_TRUE(app().CancelSearch);
}

TEST_F(ScanStops, CancelDuringAPauseTakesEffectWhenItEnds)
{
    app().SearchSubDirs = false;
    app().ScanPause = 0.05f;
    bool cancelled = false;
    host.onEveryYield([&] {
        if (!host.rows.empty() && !cancelled) {
            cancelled = true;
            app().Searching = false;
        }
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(scan());
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(host.rows.size(), 1u);
    EXPECT_GE(elapsed, std::chrono::milliseconds(50));
}

TEST_F(ScanStops, FullResultListEndsTheWalkLikeCancel)
{
    host.rowLimit = 2;
    app().LogErrors = true;
    EXPECT_TRUE(scan());
    EXPECT_EQ(host.rows.size(), 2u);
    ASSERT_EQ(host.logs.size(), 1u);
    EXPECT_EQ(host.logs[0].text, "Too many entries found to display in listbox.");
    EXPECT_TRUE(host.logs[0].forceView);
    // The walk ended inside "a": the start folder's own entries stay hidden.
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(attributes("top" + std::to_string(i)), H);

    app().LogErrors = false;
    RecordingScanHost quiet;
    quiet.rowLimit = 0;
    EXPECT_TRUE(ScanFolder(quiet, root(), root()));
    EXPECT_TRUE(quiet.logs.empty());
}

TEST_F(ScanStops, MinimizedWindowCountsInItsCaption)
{
    app().SearchSubDirs = false;
    host.minimized = true;
    scan();
    // One caption per entry read, "." and ".." and the end included.
    ASSERT_FALSE(host.captions.empty());
    for (const std::string& caption : host.captions)
        EXPECT_EQ(caption.rfind("Scanned files: ", 0), 0u) << caption;
    EXPECT_EQ(host.captions.back(), "Scanned files: 6");
    for (int n = 1; n <= 6; ++n)
        EXPECT_NE(std::find(host.captions.begin(), host.captions.end(),
                            "Scanned files: " + std::to_string(n)),
                  host.captions.end())
            << n;
    EXPECT_EQ(host.captions.size(), 8u);
}

TEST(ScanPauseWait, WaitsAtLeastTheTimeWhileYielding)
{
    RecordingScanHost host;
    const auto start = std::chrono::steady_clock::now();
    Pause(host, 0.03f);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(30));
    EXPECT_LT(elapsed, std::chrono::seconds(2));
    EXPECT_GE(host.yields, 2);
}

TEST(ScanPauseWait, NoTimeStillYieldsOnce)
{
    for (float seconds : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN()}) {
        RecordingScanHost host;
        const auto start = std::chrono::steady_clock::now();
        Pause(host, seconds);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
        EXPECT_GE(host.yields, 1) << seconds;
    }
}

TEST_F(ScanStops, ScanPauseWaitsAfterEveryExaminedEntry)
{
    app().SearchSubDirs = false;
    app().ScanPause = 0.02f;
    const auto start = std::chrono::steady_clock::now();
    scan();
    // a and five files: six waits.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(120));
}

} // namespace
} // namespace umbrix::test
