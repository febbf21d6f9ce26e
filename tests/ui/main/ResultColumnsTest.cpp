#include "search/ResultRows.h"
#include "search/SearchCommand.h"
#include "ui/main/ListBoxOperations.h"
#include "ui/main/MainWindowFixture.h"

#include <QTest>

namespace umbrix {
namespace {

using test::MainWindowFixture;

class ResultColumns : public MainWindowFixture {
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

    float width(int box) const { return window->lstFoundFiles[static_cast<std::size_t>(box)].Width(); }
    float left(int box) const { return window->lstFoundFiles[static_cast<std::size_t>(box)].Left(); }

private:
    int added_ = 0;
};

TEST_F(ResultColumns, ABoxTakesRowsUntilItHoldsMoreThan32600)
{
    addRows(ResultBoxFullRows + 1);
    EXPECT_EQ(window->TotalListbox(), 1);
    EXPECT_EQ(window->resultBox(0).ListCount(), 32601);

    addRows(1);
    EXPECT_EQ(window->TotalListbox(), 2);
    EXPECT_EQ(window->CurrentIndex(), 1);
    EXPECT_EQ(window->resultBox(0).ListCount(), 32601);
    EXPECT_EQ(window->resultBox(1).ListCount(), 1);
    EXPECT_EQ(window->resultBox(1).ListPath(0), "/data/f32601");

    // Two equal columns with three margins fill the window.
    const float m = left(0);
    const float w = (window->ScaleWidth() - 3 * m) / 2;
    EXPECT_FLOAT_EQ(width(0), w);
    EXPECT_FLOAT_EQ(width(1), w);
    EXPECT_FLOAT_EQ(left(1), left(0) + w + m);
    EXPECT_FLOAT_EQ(window->lstFoundFiles[1].Top(), window->lstFoundFiles[0].Top());
    EXPECT_TRUE(window->lstFoundFiles[1].Visible());
}

TEST_F(ResultColumns, AThirdBoxMakesThreeEqualColumnsAndIsReusedAfterReset)
{
    addRows(2 * (ResultBoxFullRows + 1) + 1);
    ASSERT_EQ(window->TotalListbox(), 3);
    const float m = left(0);
    const float w = (window->ScaleWidth() - 4 * m) / 3;
    for (int b = 0; b < 3; ++b)
        EXPECT_FLOAT_EQ(width(b), w) << b;
    EXPECT_FLOAT_EQ(left(1), m + w + m);
    EXPECT_FLOAT_EQ(left(2), left(1) + w + m);
    ResultListBox* third = window->lstFoundFiles[2].get();

    LeaveSearchState(*window);
    EXPECT_EQ(window->TotalListbox(), 1);
    EXPECT_EQ(window->CurrentIndex(), 0);
    for (int b = 0; b < 3; ++b) {
        EXPECT_FALSE(window->lstFoundFiles[static_cast<std::size_t>(b)].Visible());
        EXPECT_EQ(window->resultBox(b).ListCount(), 0);
    }

    EnterSearchState(*window);
    addRows(2 * (ResultBoxFullRows + 1) + 1);
    EXPECT_EQ(window->lstFoundFiles.size(), 3u);
    EXPECT_EQ(window->lstFoundFiles[2].get(), third);
    EXPECT_TRUE(window->lstFoundFiles[2].Visible());
}

TEST_F(ResultColumns, MaximizingTheResultsViewKeepsEqualColumnsAndTheButtonsInTheCorner)
{
    addRows(2 * (ResultBoxFullRows + 1) + 1);
    ASSERT_EQ(window->TotalListbox(), 3);
    const float before = window->ScaleWidth();
    window->setWindowStateValue(2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->WindowState() == 2 && window->ScaleWidth() != before; }));
    window->Form_Resize();

    const float W = window->ScaleWidth();
    const float H = window->ScaleHeight();
    const float L = left(0);
    const float w = (W - 4 * L) / 3;
    for (int b = 0; b < 3; ++b) {
        EXPECT_FLOAT_EQ(width(b), w) << b;
        EXPECT_FLOAT_EQ(window->lstFoundFiles[static_cast<std::size_t>(b)].Height(),
                        H - window->lstFoundFiles[0].Top() - (window->fraAttrib.Height() + 150));
    }
    EXPECT_FLOAT_EQ(left(1) - (left(0) + width(0)), L);
    EXPECT_FLOAT_EQ(left(2) - (left(1) + width(1)), L);
    EXPECT_NEAR(W - (left(2) + width(2)), L, 0.01);
    EXPECT_FLOAT_EQ(window->cmdExit.Left(), W - window->cmdExit.Width() - 150);
    EXPECT_FLOAT_EQ(window->cmdExit.Top(), H - window->cmdExit.Height() - 150);
    EXPECT_FLOAT_EQ(window->cmdSearch.Left(), window->cmdExit.Left() - window->cmdSearch.Width() - 90);
    EXPECT_FLOAT_EQ(window->fraAttrib.Top(), H - window->fraAttrib.Height() - 150);
}

TEST_F(ResultColumns, MaximizingWithOneBoxStretchesItAndSetsThePageSize)
{
    addRows(100);
    window->setWindowStateValue(2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->WindowState() == 2; }));
    window->Form_Resize();
    const float W = window->ScaleWidth();
    const float L = left(0);
    EXPECT_FLOAT_EQ(width(0), W - 2 * L);
    const int rowHeight = window->resultBox(0).itemHeight();
    EXPECT_EQ(window->PageSize,
              visibleItems(static_cast<int32_t>(std::lrint(window->lstFoundFiles[0].Height())),
                           window->scale().y, rowHeight));
    EXPECT_GT(window->PageSize, 5);
}

TEST_F(ResultColumns, ProgressKeepsTheLabelsInOneRow)
{
    app().ScannedCount = 123456;
    window->RefreshResult("/data/deep/", "name.txt");
    window->showProgress();
    EXPECT_EQ(window->lblCount->text(), QStringLiteral("123456"));
    EXPECT_EQ(window->lblDir->text(), QStringLiteral("/data/deep/name.txt"));
    EXPECT_FLOAT_EQ(window->lblCount.Left(), window->lblFound.Left() + window->lblFound.Width() + 120);
    EXPECT_FLOAT_EQ(window->lblDir.Left(), window->lblCount.Left() + window->lblCount.Width() + 120);

    const std::string odd("\xff", 1);
    window->RefreshResult("/data/", odd);
    window->showProgress();
    EXPECT_EQ(window->lblDir->text(), QStringLiteral("/data/\\xFF"));
}

TEST(ListBoxArithmetic, RowsFromTwipsRoundHalvesToEven)
{
    // 400 twips at 15 twips per pixel is 26.67 pixels, 27 rounded: row 2 of 13-pixel rows.
    EXPECT_EQ(itemFromY(400, 0, 15, 13), 2);
    EXPECT_EQ(itemFromY(400, 10, 15, 13), 12);
    EXPECT_EQ(itemFromY(400, 0, 14.6f, 13), 2) << "the scale is rounded to whole twips first";
    EXPECT_EQ(itemFromY(15 * 26.5f, 0, 15, 1), 26) << "26.5 goes to the even 26";
    EXPECT_EQ(itemFromY(15 * 27.5f, 0, 15, 1), 28) << "27.5 goes to the even 28";
    EXPECT_EQ(itemFromY(187, 0, 15, 13), 0) << "12.47 pixels round to 12, still row 0";
    EXPECT_EQ(itemFromY(188, 0, 15, 13), 1) << "12.53 pixels round to 13, row 1";

    EXPECT_EQ(visibleItems(2925, 15, 13), 15);
    EXPECT_EQ(visibleItems(75, 15, 2), 2) << "2.5 rows round to 2";
    EXPECT_EQ(visibleItems(105, 15, 2), 4) << "3.5 rows round to 4";
    EXPECT_EQ(visibleItems(100, 15, 0), 0);
}

TEST_F(ResultColumns, SelectingEveryRowIsOneStep)
{
    addRows(500);
    ResultListBox& box = window->resultBox(0);
    ListSetSelected(box, -1, true);
    EXPECT_EQ(box.SelCount(), 500);
    ListSetSelected(box, 3, false);
    EXPECT_EQ(box.SelCount(), 499);
    EXPECT_FALSE(box.Selected(3));
    ListSetSelected(box, -1, false);
    EXPECT_EQ(box.SelCount(), 0);
    EXPECT_EQ(ListItemFromY(box, 0, 7), 7);
}

} // namespace
} // namespace umbrix
