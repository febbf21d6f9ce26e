#include "search/ResultRows.h"
#include "ui/main/ListBoxOperations.h"
#include "ui/main/MainWindowFixture.h"
#include "ui/main/SearchCommand.h"

#include <QTest>
#include <cstdlib>

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
            window->FoundFileAdd("/data/", "f" + std::to_string(added_++));
    }
    Placed<ResultListBox>& box(int index)
    {
        return window->lstFoundFiles[static_cast<std::size_t>(index)];
    }
    void maximize()
    {
        const float before = window->ScaleWidth();
        window->setWindowStateValue(2);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return window->WindowState() == 2 && window->ScaleWidth() != before; }));
        window->Form_Resize();
    }
    // Boxes 0..n-1 share the width in equal columns with equal margins.
    void expectEqualColumns(int n)
    {
        const float margin = box(0).Left();
        const float width = (window->ScaleWidth() - (n + 1) * margin) / n;
        for (int b = 0; b < n; ++b) {
            EXPECT_FLOAT_EQ(box(b).Width(), width) << b;
            EXPECT_NEAR(box(b).Left(), margin + b * (width + margin), 0.01) << b;
            EXPECT_FLOAT_EQ(box(b).Top(), box(0).Top()) << b;
            EXPECT_TRUE(box(b).Visible()) << b;
        }
    }

private:
    int added_ = 0;
};

TEST_F(ResultColumns, ABoxHoldingMoreThan32600RowsPassesTheNextOnesToANewColumn)
{
    addRows(ResultBoxFullRows + 1);
    EXPECT_EQ(window->TotalListbox(), 1);
    addRows(1);
    ASSERT_EQ(window->TotalListbox(), 2);
    EXPECT_EQ(window->CurrentIndex(), 1);
    EXPECT_EQ(window->resultBox(0).ListCount(), 32601);
    EXPECT_EQ(window->resultBox(1).ListPath(0), "/data/f32601");
    expectEqualColumns(2);

    addRows(ResultBoxFullRows + 1);
    ASSERT_EQ(window->TotalListbox(), 3);
    EXPECT_EQ(window->resultBox(2).ListCount(), 1);
    expectEqualColumns(3);
    ResultListBox* third = box(2).get();

    // Leaving the results view empties and hides them; the boxes are reused.
    LeaveSearchState(*window);
    EXPECT_EQ(window->TotalListbox(), 1);
    for (int b = 0; b < 3; ++b) {
        EXPECT_FALSE(box(b).Visible());
        EXPECT_EQ(window->resultBox(b).ListCount(), 0);
    }
    EnterSearchState(*window);
    addRows(2 * (ResultBoxFullRows + 1) + 1);
    EXPECT_EQ(window->lstFoundFiles.size(), 3u);
    EXPECT_EQ(box(2).get(), third);
    expectEqualColumns(3);
}

TEST_F(ResultColumns, MaximizedThreeColumnsFillTheWindowWithTheButtonsInTheCorner)
{
    addRows(2 * (ResultBoxFullRows + 1) + 1);
    ASSERT_EQ(window->TotalListbox(), 3);
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

TEST_F(ResultColumns, AMaximizedSingleBoxStretchesAndSetsThePageSize)
{
    addRows(100);
    maximize();
    EXPECT_FLOAT_EQ(box(0).Width(), window->ScaleWidth() - 2 * box(0).Left());
    // A page is as many rows as the box's height holds, to the nearest row.
    const int rowHeight = window->resultBox(0).itemHeight();
    EXPECT_LE(std::abs(window->PageSize * rowHeight - box(0)->height()), rowHeight / 2 + 1)
        << window->PageSize << " rows of " << rowHeight << " in " << box(0)->height();
}

TEST(ListBoxArithmetic, RowsFromTwipsRoundHalvesToEven)
{
    const struct {
        float y;
        int32_t top;
        float scale; // twips per pixel
        int rowHeight;
        int32_t row;
    } rows[] = {
        // clang-format off
        {400, 0, 15, 13, 2}, {400, 10, 15, 13, 12}, // 26.67 pixels round to 27
        {400, 0, 14.6f, 13, 2},                     // the scale is rounded to whole twips first
        {15 * 26.5f, 0, 15, 1, 26}, {15 * 27.5f, 0, 15, 1, 28}, // halves go to even
        {187, 0, 15, 13, 0}, {188, 0, 15, 13, 1},   // 12.47 and 12.53 pixels
        // clang-format on
    };
    for (const auto& r : rows)
        EXPECT_EQ(itemFromY(r.y, r.top, r.scale, r.rowHeight), r.row) << r.y;
    EXPECT_EQ(visibleItems(2925, 15, 13), 15);
    EXPECT_EQ(visibleItems(75, 15, 2), 2) << "2.5 rows round to 2";
    EXPECT_EQ(visibleItems(105, 15, 2), 4) << "3.5 rows round to 4";
    EXPECT_EQ(visibleItems(100, 15, 0), 0);
}

} // namespace
} // namespace umbrix
