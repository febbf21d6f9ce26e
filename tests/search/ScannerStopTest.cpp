#include "search/ScanTreeFixture.h"

#include <chrono>
#include <limits>

namespace umbrix::test {
namespace {

using Clock = std::chrono::steady_clock;

// Five hidden files in a subfolder "a", five more beside it.
class ScanStops : public ScanTreeFixture {
protected:
    void SetUp() override
    {
        ScanTreeFixture::SetUp();
        folder("a");
        for (int i = 0; i < 5; ++i) {
            file("a/deep" + std::to_string(i), H);
            file("top" + std::to_string(i), H);
        }
    }
    void hideAll()
    {
        for (int i = 0; i < 5; ++i) {
            store("a/deep" + std::to_string(i), H);
            store("top" + std::to_string(i), H);
        }
    }
    int hiddenLeft() const
    {
        int left = 0;
        for (int i = 0; i < 5; ++i)
            left += ((attributes("a/deep" + std::to_string(i)) & H) ? 1 : 0) +
                    ((attributes("top" + std::to_string(i)) & H) ? 1 : 0);
        return left;
    }
};

TEST_F(ScanStops, EscKeepsWhatWasFoundAndCancelDiscardsAtOnce)
{
    struct Case {
        const char* when;
        bool cancel; // else Esc
        size_t atRows;
        int atYield;
        bool stopped;
        size_t rows;
        int hiddenLeft;
    };
    const Case cases[] = {
        {"Esc after three rows", false, 3, -1, false, 3, 7},
        {"Cancel after two rows", true, 2, -1, true, 2, 8},
        {"Esc while reading subfolders", false, 99, 2, false, 0, 10},
        {"Cancel while reading subfolders", true, 99, 1, true, 0, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.when);
        freshSearch();
        hideAll();
        host.onYield = [&] {
            if (host.rows.size() != c.atRows && host.yields != c.atYield)
                return;
            if (c.cancel)
                app().Searching = false;
            else
                app().CancelSearch = true;
        };
        EXPECT_EQ(scan(), c.stopped);
        EXPECT_EQ(host.rows.size(), c.rows);
        // Nothing after the stop was unhidden either.
        EXPECT_EQ(hiddenLeft(), c.hiddenLeft);
        // Esc leaves the end of the search to the window.
        EXPECT_EQ(app().Searching, !c.cancel);
    }
}

TEST_F(ScanStops, AFullResultListEndsTheWalkLikeCancel)
{
    host.rowLimit = 2;
    app().LogErrors = true;
    EXPECT_TRUE(scan());
    EXPECT_EQ(host.rows.size(), 2u);
    EXPECT_EQ(host.logs,
              (std::vector<RecordingScanHost::LogEntry>{{"Too many entries found to display in listbox.", true}}));
    // The walk ended at the third entry of "a": the start folder's own
    // entries stay hidden.
    EXPECT_EQ(hiddenLeft(), 7);

    freshSearch();
    host.rowLimit = 0;
    EXPECT_TRUE(scan());
    EXPECT_TRUE(host.logs.empty()) << "told only while logging";
}

TEST_F(ScanStops, AMinimizedWindowCountsInItsCaption)
{
    app().SearchSubDirs = false;
    host.minimized = true;
    scan();
    // One caption per entry read, "." and ".." included.
    ASSERT_EQ(host.captions.size(), 8u);
    EXPECT_EQ(host.captions.back(), "Scanned files: 6");
    for (int n = 1; n <= 6; ++n)
        EXPECT_NE(std::find(host.captions.begin(), host.captions.end(), "Scanned files: " + std::to_string(n)),
                  host.captions.end())
            << n;
}

TEST(ScanPause, WaitsAtLeastTheTimeAndYieldsMeanwhile)
{
    for (const float seconds : {0.03f, 0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN()}) {
        SCOPED_TRACE(seconds);
        RecordingScanHost host;
        const auto start = Clock::now();
        Pause(host, seconds);
        const auto elapsed = Clock::now() - start;
        EXPECT_GE(elapsed, std::chrono::milliseconds(seconds > 0 ? 30 : 0));
        EXPECT_LT(elapsed, std::chrono::milliseconds(seconds > 0 ? 2000 : 500));
        EXPECT_GE(host.yields, seconds > 0 ? 2 : 1);
    }
}

TEST_F(ScanStops, TheScanPauseFollowsEveryExaminedEntry)
{
    app().SearchSubDirs = false;
    app().ScanPause = 0.02f;
    const auto start = Clock::now();
    scan();
    // "a" and five files: six waits.
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(120));
}

} // namespace
} // namespace umbrix::test
