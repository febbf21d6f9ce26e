#include "search/ResultRows.h"
#include "ui/main/MainWindowFixture.h"
#include "ui/main/SearchHost.h"

#include <QTest>
#include <algorithm>
#include <cstdlib>

namespace umbrix {
namespace {

class ResultColumns : public test::MainWindowFixture {
protected:
    Placed<ResultListBox>& column(int b) { return window->lstFoundFiles[static_cast<std::size_t>(b)]; }
    // Columns 0..n-1 are visible, of one width, in a row, the gap between
    // two the margin left of the first and right of the last.
    void expectEqualColumns(int n)
    {
        const float margin = column(0).Left();
        for (int b = 0; b < n; ++b) {
            EXPECT_TRUE(column(b).Visible()) << b;
            EXPECT_FLOAT_EQ(column(b).Top(), column(0).Top()) << b;
            EXPECT_NEAR(column(b).Width(), column(0).Width(), 0.01) << b;
            if (b > 0) {
                EXPECT_NEAR(column(b).Left() - column(b - 1).Left() - column(b - 1).Width(), margin,
                            0.01);
            }
        }
        EXPECT_NEAR(window->ScaleWidth() - column(n - 1).Left() - column(n - 1).Width(), margin,
                    0.5);
    }
};

// A box holding more than 32 600 rows passes the next ones to a new
// column, after a round of the window's events: laying the full columns out
// again is as long as a stretch of the walk, and the two never make one long
// wait.  Maximized, the columns fill the window and a page is what a box
// shows.  Leaving the results empties the boxes, which are reused.
TEST_F(ResultColumns, FullBoxesOpenNewColumnsThatShareTheWidth)
{
    EnterSearchState(*window);
    std::vector<std::pair<int, int32_t>> rounds; // boxes, rows of the last
    const ScopedDoEventsHook watch([&] {
        rounds.emplace_back(
            window->lstFoundFiles.TotalListbox(),
            window->lstFoundFiles.box(window->lstFoundFiles.CurrentIndex()).ListCount());
    });
    SearchHost& host = window->searchHost();
    for (int i = 0; i < 2 * (ResultBoxFullRows + 1) + 1; ++i)
        host.FoundFileAdd("/data/", "f" + std::to_string(i), {});
    ASSERT_EQ(window->lstFoundFiles.TotalListbox(), 3);
    EXPECT_EQ(window->lstFoundFiles.CurrentIndex(), 2);
    EXPECT_EQ(window->lstFoundFiles.box(0).ListCount(), ResultBoxFullRows + 1);
    EXPECT_EQ(window->lstFoundFiles.box(1).ListPath(0), "/data/f" + std::to_string(ResultBoxFullRows + 1));
    for (int boxes : {1, 2}) {
        EXPECT_NE(std::find(rounds.begin(), rounds.end(), std::pair{boxes, ResultBoxFullRows + 1}),
                  rounds.end())
            << "no round before box " << boxes + 1 << " opened";
    }
    expectEqualColumns(3);

    ShowSearchResults(*window);
    const float before = window->ScaleWidth();
    window->setFormState(WindowState::Maximized);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->ScaleWidth() != before; }));
    window->Form_Resize();
    expectEqualColumns(3);
    expectTidyLayout();
    const int rowHeight = window->lstFoundFiles.box(0).itemHeight();
    EXPECT_LE(std::abs(window->lstFoundFiles.PageSize * rowHeight - column(0)->height()),
              rowHeight / 2 + 1);

    ResultListBox* third = column(2).get();
    LeaveSearchState(*window);
    EXPECT_EQ(window->lstFoundFiles.TotalListbox(), 1);
    for (int b = 0; b < 3; ++b) {
        EXPECT_FALSE(column(b).Visible());
        EXPECT_EQ(window->lstFoundFiles.box(b).ListCount(), 0);
    }
    EnterSearchState(*window);
    for (int i = 0; i < 2 * (ResultBoxFullRows + 1) + 1; ++i)
        window->lstFoundFiles.FoundFileAdd("/data/", "g" + std::to_string(i));
    EXPECT_EQ(window->lstFoundFiles.size(), 3u);
    EXPECT_EQ(column(2).get(), third);
}

} // namespace
} // namespace umbrix
