#include "ui/main/MainWindowFixture.h"

#include <QTest>

namespace umbrix {
namespace {

using test::MainWindowFixture;

class BrowserLayout : public MainWindowFixture {
protected:
    void resizeTo(int pixelWidth)
    {
        window->resize(pixelWidth, window->height());
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->width() == pixelWidth; }));
        window->Form_Resize();
    }
};

TEST_F(BrowserLayout, AWiderBrowserViewKeepsTwoEqualColumnsAndIsRemembered)
{
    resizeTo(700);
    const float W = window->ScaleWidth();
    EXPECT_FLOAT_EQ(window->filList.Width(), (W - 3 * 120) / 2);
    EXPECT_FLOAT_EQ(window->dirList.Width(), window->filList.Width());
    EXPECT_FLOAT_EQ(window->dirList.Left(), 240 + window->filList.Width());
    EXPECT_FLOAT_EQ(window->drvList.Left(), window->dirList.Left());
    EXPECT_FLOAT_EQ(window->txtSearchSpec.Width(), window->dirList.Width());
    EXPECT_FLOAT_EQ(window->lblCriteria.Left(), window->txtSearchSpec.Left() - 1080 - 90);
    EXPECT_FLOAT_EQ(window->CurrentWidth(), window->Width());
    EXPECT_FLOAT_EQ(window->cmdSearch.Left(), 4590) << "buttons and options stay put";

    const float remembered = window->CurrentWidth();
    file("h", 0x2);
    window->cmdSearch->click();
    ASSERT_NE(window->Width(), remembered) << "the results view has a width of its own";
    window->cmdSearch->click();
    EXPECT_FLOAT_EQ(window->Width(), remembered);
}

TEST_F(BrowserLayout, AWindowTooNarrowForTheMarginsKeepsItsLastArrangement)
{
    resizeTo(500);
    const float remembered = window->CurrentWidth();
    const float fileWidth = window->filList.Width();
    resizeTo(10);
    EXPECT_FLOAT_EQ(window->filList.Width(), fileWidth);
    EXPECT_FLOAT_EQ(window->CurrentWidth(), remembered);
    EXPECT_TRUE(messages.calls().empty());
}

TEST_F(BrowserLayout, TheBrowserArrangementWaitsWhileTheLayoutSwitchIsOff)
{
    window->LayoutEnabled = false;
    const float fileWidth = window->filList.Width();
    resizeTo(650);
    EXPECT_FLOAT_EQ(window->filList.Width(), fileWidth);
    window->LayoutEnabled = true;
    window->Form_Resize();
    EXPECT_NE(window->filList.Width(), fileWidth);
}

TEST_F(BrowserLayout, RestoringTheWindowPutsTheTitleBack)
{
    window->setCaption("Scanned files: 12");
    window->Form_Resize();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Umbrix"));
}

} // namespace
} // namespace umbrix
