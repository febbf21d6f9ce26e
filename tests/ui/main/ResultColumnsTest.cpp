#include "search/ResultRows.h"
#include "ui/main/ListBoxOperations.h"
#include "ui/main/MainWindowFixture.h"
#include "ui/main/SearchCommand.h"
#include "ui/main/SearchHost.h"
#include "ui/services/Interaction.h"

#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

namespace umbrix {
namespace {

// The results view filled directly, as the search host fills it.
class ResultColumns : public test::MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        EnterSearchState(*window);
    }
    void addRows(int n)
    {
        for (int i = 0; i < n; ++i)
            window->lstFoundFiles.FoundFileAdd("/data/", "f" + std::to_string(added_++));
    }
    Placed<ResultListBox>& box(int index)
    {
        return window->lstFoundFiles[static_cast<std::size_t>(index)];
    }
    void maximize()
    {
        const float before = window->ScaleWidth();
        window->setFormState(WindowState::Maximized);
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return window->formState() == WindowState::Maximized && window->ScaleWidth() != before;
        }));
        window->Form_Resize();
    }
    // Boxes 0..n-1 are visible columns of one width in a row, the gap
    // between two the margin left of the first and right of the last.
    void expectEqualColumns(int n)
    {
        const float margin = box(0).Left();
        for (int b = 0; b < n; ++b) {
            EXPECT_TRUE(box(b).Visible()) << b;
            EXPECT_FLOAT_EQ(box(b).Top(), box(0).Top()) << b;
            EXPECT_NEAR(box(b).Width(), box(0).Width(), 0.01) << b;
            if (b > 0) {
                EXPECT_NEAR(box(b).Left() - box(b - 1).Left() - box(b - 1).Width(), margin, 0.01)
                    << b;
            }
        }
        EXPECT_NEAR(window->ScaleWidth() - box(n - 1).Left() - box(n - 1).Width(), margin, 0.5);
    }

private:
    int added_ = 0;
};

TEST_F(ResultColumns, ABoxHoldingMoreThan32600RowsPassesTheNextOnesToANewColumn)
{
    addRows(ResultBoxFullRows + 1);
    EXPECT_EQ(window->lstFoundFiles.TotalListbox(), 1);
    addRows(1);
    ASSERT_EQ(window->lstFoundFiles.TotalListbox(), 2);
    EXPECT_EQ(window->lstFoundFiles.CurrentIndex(), 1);
    EXPECT_EQ(window->lstFoundFiles.box(0).ListCount(), 32601);
    EXPECT_EQ(window->lstFoundFiles.box(1).ListPath(0), "/data/f32601");
    expectEqualColumns(2);

    addRows(ResultBoxFullRows + 1);
    ASSERT_EQ(window->lstFoundFiles.TotalListbox(), 3);
    EXPECT_EQ(window->lstFoundFiles.box(2).ListCount(), 1);
    expectEqualColumns(3);
    ResultListBox* third = box(2).get();

    // Leaving the results view empties and hides them; the boxes are reused.
    LeaveSearchState(*window);
    EXPECT_EQ(window->lstFoundFiles.TotalListbox(), 1);
    for (int b = 0; b < 3; ++b) {
        EXPECT_FALSE(box(b).Visible());
        EXPECT_EQ(window->lstFoundFiles.box(b).ListCount(), 0);
    }
    EnterSearchState(*window);
    addRows(2 * (ResultBoxFullRows + 1) + 1);
    EXPECT_EQ(window->lstFoundFiles.size(), 3u);
    EXPECT_EQ(box(2).get(), third);
    expectEqualColumns(3);

    // Maximized, the three columns fill the window.
    ShowSearchResults(*window);
    maximize();
    expectEqualColumns(3);
    expectTidyLayout();
    // The boxes reach down to the attribute panel; the buttons sit in the
    // bottom right corner beside it.
    for (int b = 0; b < 3; ++b)
        EXPECT_FLOAT_EQ(box(b).Height(), box(0).Height()) << b;
    const QRect exit = window->cmdExit->geometry();
    EXPECT_LT(window->width() - exit.right(), 20);
    EXPECT_LT(window->height() - exit.bottom(), 20);
    EXPECT_EQ(window->cmdSearch->geometry().top(), exit.top());
    EXPECT_LT(window->cmdSearch->geometry().right(), exit.left());
    EXPECT_GT(window->fraAttrib->geometry().top(), box(0)->geometry().bottom());
}

// Opening a column lays out every full one again, as long as a stretch of
// the walk: the window handles its events between the row that fills a box
// and the one that opens the next, so the two never make one long wait.
TEST_F(ResultColumns, TheWindowHandlesItsEventsBeforeAColumnOpens)
{
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
    for (int boxes : {1, 2}) {
        EXPECT_NE(std::find(rounds.begin(), rounds.end(), std::pair{boxes, ResultBoxFullRows + 1}),
                  rounds.end())
            << "no round before box " << boxes + 1 << " opened";
    }
}

TEST_F(ResultColumns, AMaximizedSingleBoxStretchesAndSetsThePageSize)
{
    addRows(100);
    maximize();
    expectEqualColumns(1);
    // A page is as many rows as the box's height holds, to the nearest row.
    const int rowHeight = window->lstFoundFiles.box(0).itemHeight();
    EXPECT_LE(std::abs(window->lstFoundFiles.PageSize * rowHeight - box(0)->height()),
              rowHeight / 2 + 1)
        << window->lstFoundFiles.PageSize << " rows of " << rowHeight << " in " << box(0)->height();
}

} // namespace
} // namespace umbrix
