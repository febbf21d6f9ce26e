#include "app/CommandLine.h"
#include "fileops/FileSystemObject.h"
#include "platform/Error.h"
#include "ui/controls/DriveListBox.h"
#include "ui/controls/FileListBox.h"
#include "ui/main/MainWindowFixture.h"
#include "ui/main/SearchCommand.h"

#include <QStyle>
#include <QStyleFactory>
#include <QTest>
#include <memory>

namespace umbrix {
namespace {

class MainWindow : public test::MainWindowFixture {
protected:
    void resizeTo(int pixelWidth)
    {
        window->resize(pixelWidth, window->height());
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->width() == pixelWidth; }));
        window->Form_Resize();
    }
};

class StartedWindow : public MainWindow {
protected:
    std::string commandLine() const override { return "/timeout:0.25"; }
};

TEST_F(StartedWindow, StartUpShowsTheBrowserViewWithTheInitialState)
{
    EXPECT_FLOAT_EQ(state.ScanPause, 0.25f);
    EXPECT_TRUE(window->browser.chkSubDir->isChecked());
    EXPECT_NE(window->FileSystem, nullptr);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Umbrix"));
    EXPECT_NEAR(window->Width(), 6165, window->scale().x);
    EXPECT_NEAR(window->Height(), 4600, window->scale().y);
    EXPECT_FALSE(window->lstFoundFiles[0].Visible());
}

TEST(MainWindowObject, AFileSystemObjectThatCannotBeCreatedIsReported)
{
    ScopedMsgBoxResponder messages;
    AppState state;
    FrmSeek window(state);
    EXPECT_FALSE(window.SetObject([]() -> std::unique_ptr<FileSystemObject> {
        throw Error{429, "ActiveX component can't create object"};
    }));
    EXPECT_EQ(window.FileSystem, nullptr);
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_TRUE(messages.calls()[0].prompt.endsWith(
        QStringLiteral("ActiveX component can't create object")));
    EXPECT_EQ(messages.calls()[0].buttons, MsgBoxStyle::Critical);
}

// Counts the keys that reach a widget.
class KeySpy : public QObject {
public:
    int keys = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        keys += event->type() == QEvent::KeyPress ? 1 : 0;
        return false;
    }
};

TEST_F(MainWindow, EscDuringASearchIsTakenByTheWindowAndPassesOtherwise)
{
    KeySpy spy;
    QLineEdit* box = window->browser.txtSearchSpec.get();
    box->installEventFilter(&spy);
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_EQ(spy.keys, 1);
    EXPECT_FALSE(state.CancelSearch);

    state.Searching = true;
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_EQ(spy.keys, 1) << "the key is swallowed";
    EXPECT_EQ(beeps.count(), 1);
    EXPECT_TRUE(state.CancelSearch);
    QTest::keyClick(box, Qt::Key_A);
    EXPECT_EQ(spy.keys, 2) << "other keys pass";
    state.Searching = false;
}

TEST_F(MainWindow, TheDirectoryIndicatorAndItsMenuItemOnlyBeep)
{
    window->bAttribute->mnuDir->trigger();
    EXPECT_EQ(beeps.count(), 1);
    EXPECT_TRUE(messages.calls().empty());
    file("h", 0x2);
    window->cmdSearch->click();
    ASSERT_TRUE(window->fraAttrib.Visible());
    const int before = beeps.count();

    // The indicator square takes a plain left click only.
    auto click = [&](float x, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
        const QPoint inPanel(window->scale().toPixelsX(x), window->scale().toPixelsY(510));
        QTest::mouseClick(window->windowHandle(), button, modifiers,
                          window->fraAttrib->mapTo(window.get(), inPanel));
    };
    click(5250, Qt::LeftButton, Qt::NoModifier);
    EXPECT_EQ(beeps.count(), before + 1);
    click(5250, Qt::RightButton, Qt::NoModifier);
    click(5250, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(beeps.count(), before + 1);
}

TEST_F(MainWindow, OptionBoxesSetTheFlagsAndFilesAndFoldersExcludeEachOther)
{
    window->browser.chkViewAll->click();
    window->browser.chkSubDir->click();
    window->browser.chkFolder->click();
    EXPECT_TRUE(state.ViewAll && !state.SearchSubDirs && state.DirsOnly);
    window->browser.chkFiles->click();
    EXPECT_TRUE(state.FilesOnly && !state.DirsOnly && !window->browser.chkFolder->isChecked());
    window->browser.chkFolder->click();
    EXPECT_TRUE(state.DirsOnly && !state.FilesOnly && !window->browser.chkFiles->isChecked());
    window->browser.chkFolder->click();
    EXPECT_FALSE(state.DirsOnly || state.FilesOnly);
}

TEST_F(MainWindow, AFolderNamedAtStartIsOpenedAndAMissingOneIsReported)
{
    folder("inner");
    const char* arguments[] = {"umbrix", "/timeout:1", "-x", "", nullptr, nullptr};
    for (const std::string& named : {at("inner"), at("missing")}) {
        SCOPED_TRACE(named);
        arguments[4] = named.c_str();
        const std::string folderArgument = folderFromArguments(5, arguments);
        EXPECT_EQ(folderArgument, named);
        AppState otherState;
        FrmSeek other(otherState);
        const std::size_t before = messages.calls().size();
        ASSERT_TRUE(startUp(other, {}, folderArgument));
        if (named == at("inner")) {
            EXPECT_EQ(other.browser.dirList->Path(), named);
            EXPECT_EQ(messages.calls().size(), before);
        } else {
            EXPECT_NE(other.browser.dirList->Path(), named);
            ASSERT_EQ(messages.calls().size(), before + 1);
            EXPECT_TRUE(messages.calls().back().prompt.endsWith(
                QString::fromStdString("\"" + named + "\"")));
            EXPECT_EQ(messages.calls().back().buttons, MsgBoxStyle::Exclamation);
        }
    }
    EXPECT_EQ(folderFromArguments(3, arguments), "");
}

TEST_F(MainWindow, AVolumeOpensWhereItWasLeftAndTheDriveListFollowsTheFolders)
{
    DriveListBox& drives = *window->browser.drvList.get();
    const std::string home = drives.DriveRoot();
    std::string other;
    for (int i = 0; i < drives.ListCount() && other.empty(); ++i)
        if (drives.ListRoot(i) != home)
            other = drives.ListRoot(i);
    if (other.empty())
        GTEST_SKIP() << "this machine offers a single volume";

    drives.setDrive(other);
    EXPECT_EQ(window->browser.dirList->Path(), other);
    drives.setDrive(home);
    EXPECT_EQ(window->browser.dirList->Path(), tree.path()) << "back where it was left";
    window->browser.dirList->setPath(other);
    EXPECT_EQ(drives.DriveRoot(), other);
    EXPECT_TRUE(messages.calls().empty());
}

TEST_F(MainWindow, TheBrowserViewKeepsTwoEqualColumnsAtAnyWidthAndRemembersIt)
{
    const float buttons = window->cmdSearch.Left();
    for (const int pixels : {415, 700, 1200}) {
        SCOPED_TRACE(pixels);
        resizeTo(pixels);
        expectTidyLayout();
        EXPECT_FLOAT_EQ(window->browser.dirList.Width(), window->browser.filList.Width());
        EXPECT_FLOAT_EQ(window->browser.drvList.Left(), window->browser.dirList.Left());
        EXPECT_FLOAT_EQ(window->browser.txtSearchSpec.Width(), window->browser.dirList.Width());
        // The two columns and their three margins fill the width.
        EXPECT_NEAR(window->browser.dirList.Left() + window->browser.dirList.Width() +
                        window->browser.filList.Left(),
                    window->ScaleWidth(), 0.5f);
        EXPECT_FLOAT_EQ(window->cmdSearch.Left(), buttons) << "buttons and options stay put";
        EXPECT_FLOAT_EQ(window->CurrentWidth(), window->Width());
    }
}

TEST_F(MainWindow, EveryCaptionFitsItsTextInAnyFontAndStyle)
{
    expectCaptionsFit();
    // The searching view's count box takes six-figure counts whole.
    EnterSearchState(*window);
    window->RefreshResult("/data/", "name", 109876);
    window->showProgress();
    EXPECT_EQ(window->lblCount->text(), QStringLiteral("109876"));
    expectCaptionsFit();
    LeaveSearchState(*window);
    // A larger font through a style sheet, and the Fusion style, which
    // draws larger check boxes.
    const QString previousSheet = qApp->styleSheet();
    qApp->setStyleSheet(QStringLiteral("QLabel, QCheckBox, QPushButton { font-size: 14pt; }"));
    QTest::qWait(20);
    expectCaptionsFit();
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    ASSERT_NE(fusion, nullptr);
    window->setStyle(fusion.get());
    for (QWidget* child : window->findChildren<QWidget*>())
        child->setStyle(fusion.get());
    QTest::qWait(20);
    expectCaptionsFit();
    qApp->setStyleSheet(previousSheet);
    // No widget owns a style set on it: each goes back to the application's
    // style before the test's own goes.
    for (QWidget* child : window->findChildren<QWidget*>())
        child->setStyle(nullptr);
    window->setStyle(nullptr);
}

TEST_F(MainWindow, TheArrangementStaysWhileTooNarrowOrSwitchedOff)
{
    resizeTo(500);
    const float remembered = window->CurrentWidth();
    const float fileWidth = window->browser.filList.Width();
    resizeTo(10);
    EXPECT_FLOAT_EQ(window->browser.filList.Width(), fileWidth);
    EXPECT_FLOAT_EQ(window->CurrentWidth(), remembered);

    window->LayoutEnabled = false;
    resizeTo(650);
    EXPECT_FLOAT_EQ(window->browser.filList.Width(), fileWidth);
    window->LayoutEnabled = true;
    window->Form_Resize();
    EXPECT_NE(window->browser.filList.Width(), fileWidth);
}

} // namespace
} // namespace umbrix
