#include "fileops/FileSystemObject.h"
#include "platform/Error.h"
#include "ui/main/MainWindowFixture.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTest>

namespace umbrix {
namespace {

class MainWindow : public test::MainWindowFixture {
protected:
    std::string commandLine() const override { return "/timeout:0.25"; }
    void resizeTo(int pixelWidth)
    {
        window->resize(pixelWidth, window->height());
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->width() == pixelWidth; }));
        window->Form_Resize();
    }
    // No visible caption, check box or button is narrower than its text in
    // the current font and style; the path line may be longer, as a path may.
    void expectCaptionsFit()
    {
        int checked = 0;
        for (QWidget* child : window->findChildren<QWidget*>()) {
            if (!child->isVisibleTo(window.get()) || child == window->lblDir.get() ||
                (!qobject_cast<QLabel*>(child) && !qobject_cast<QAbstractButton*>(child)))
                continue;
            ++checked;
            EXPECT_LE(child->sizeHint().width(), child->width()) << name(child);
        }
        EXPECT_GE(checked, 3);
    }
};

TEST_F(MainWindow, StartUpShowsTheBrowserViewWithTheInitialState)
{
    EXPECT_FLOAT_EQ(state.ScanPause, 0.25f);
    EXPECT_TRUE(window->browser.chkSubDir->isChecked());
    EXPECT_NE(window->FileSystem, nullptr);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Umbrix"));
    EXPECT_NEAR(window->Width(), 6165, window->scale().x);
    EXPECT_NEAR(window->Height(), 4600, window->scale().y);
    EXPECT_FALSE(window->lstFoundFiles[0].Visible());

    AppState otherState;
    FrmSeek other(otherState);
    EXPECT_FALSE(other.SetObject([]() -> std::unique_ptr<FileSystemObject> {
        throw Error{429, "ActiveX component can't create object"};
    }));
    EXPECT_EQ(other.FileSystem, nullptr);
    ASSERT_EQ(messageCount(), 1);
    EXPECT_TRUE(messages.calls()[0].prompt.endsWith(
        QStringLiteral("ActiveX component can't create object")));
    EXPECT_EQ(messages.calls()[0].buttons, MsgBoxStyle::Critical);
}

TEST_F(MainWindow, AFolderNamedAtStartIsOpenedAndAMissingOneIsReported)
{
    folder("inner");
    for (const bool present : {true, false}) {
        const std::string named = at(present ? "inner" : "missing");
        AppState otherState;
        FrmSeek other(otherState);
        ASSERT_TRUE(startUp(other, {}, named));
        EXPECT_EQ(other.browser.dirList->Path() == named, present);
        ASSERT_EQ(messageCount(), present ? 0 : 1);
    }
    EXPECT_TRUE(messages.calls()[0].prompt.endsWith(QString::fromStdString("\"" + at("missing") + "\"")));
    EXPECT_EQ(messages.calls()[0].buttons, MsgBoxStyle::Exclamation);
}

TEST_F(MainWindow, OptionBoxesSetTheFlagsAndFilesAndFoldersExcludeEachOther)
{
    auto& b = window->browser;
    b.chkViewAll->click();
    b.chkSubDir->click();
    b.chkFolder->click();
    EXPECT_TRUE(state.ViewAll && !state.SearchSubDirs && state.DirsOnly);
    b.chkFiles->click();
    EXPECT_TRUE(state.FilesOnly && !state.DirsOnly && !b.chkFolder->isChecked());
    b.chkFolder->click();
    EXPECT_TRUE(state.DirsOnly && !state.FilesOnly && !b.chkFiles->isChecked());
    b.chkFolder->click();
    EXPECT_FALSE(state.DirsOnly || state.FilesOnly);
    // The directory indicator cannot be changed: its menu item only beeps.
    window->bAttribute->mnuDir->trigger();
    EXPECT_EQ(beeps.count(), 1);
}

// Two equal columns fill any width that holds them; a narrower window keeps
// the arrangement it had.
TEST_F(MainWindow, TheBrowserViewKeepsTwoEqualColumnsAtAnyWidth)
{
    auto& b = window->browser;
    const float buttons = window->cmdSearch.Left();
    for (const int pixels : {415, 700, 1200}) {
        SCOPED_TRACE(pixels);
        resizeTo(pixels);
        expectTidyLayout();
        EXPECT_FLOAT_EQ(b.dirList.Width(), b.filList.Width());
        EXPECT_FLOAT_EQ(b.txtSearchSpec.Width(), b.dirList.Width());
        EXPECT_NEAR(b.dirList.Left() + b.dirList.Width() + b.filList.Left(), window->ScaleWidth(),
                    0.5f);
        EXPECT_FLOAT_EQ(window->cmdSearch.Left(), buttons) << "buttons and options stay put";
        EXPECT_FLOAT_EQ(window->CurrentWidth(), window->Width());
    }
    const float fileWidth = b.filList.Width();
    resizeTo(10);
    EXPECT_FLOAT_EQ(b.filList.Width(), fileWidth) << "too narrow: the arrangement stays";
}

TEST_F(MainWindow, EveryCaptionFitsItsTextInAnyFont)
{
    expectCaptionsFit();
    // The searching view's count box takes six-figure counts whole.
    EnterSearchState(*window);
    window->RefreshResult("/data/", "name", 109876);
    window->showProgress();
    EXPECT_EQ(window->lblCount->text(), QStringLiteral("109876"));
    expectCaptionsFit();
    LeaveSearchState(*window);
    // A larger font than the one the layout was made for.
    const QString previousSheet = qApp->styleSheet();
    qApp->setStyleSheet(QStringLiteral("QLabel, QCheckBox, QPushButton { font-size: 14pt; }"));
    QTest::qWait(20);
    expectCaptionsFit();
    qApp->setStyleSheet(previousSheet);
}

} // namespace
} // namespace umbrix
