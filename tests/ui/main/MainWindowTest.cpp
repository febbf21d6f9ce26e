#include "app/FileSystemObject.h"
#include "platform/Error.h"
#include "ui/main/MainWindowFixture.h"

#include <QAction>
#include <QTest>

namespace umbrix {
namespace {

using test::MainWindowFixture;

class StartedWindow : public MainWindowFixture {
protected:
    std::string commandLine() const override { return "/timeout:0.25"; }
};

TEST_F(StartedWindow, StartUpShowsTheBrowserViewWithTheInitialState)
{
    EXPECT_EQ(app().AppTitle, "Umbrix");
    EXPECT_FLOAT_EQ(app().ScanPause, 0.25f);
    EXPECT_TRUE(app().SearchSubDirs);
    EXPECT_TRUE(window->chkSubDir->isChecked());
    EXPECT_FALSE(window->CancelAction());
    EXPECT_TRUE(window->FileSystem != nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Umbrix"));
    EXPECT_NEAR(window->Width(), 6165, window->scale().x);
    EXPECT_NEAR(window->Height(), 4600, window->scale().y);
    EXPECT_FLOAT_EQ(window->CurrentWidth(), window->Width());
    EXPECT_TRUE(window->txtSearchSpec.Visible());
    EXPECT_FALSE(window->lstFoundFiles[0].Visible());
    EXPECT_FALSE(window->fraAttrib.Visible());
    EXPECT_EQ(window->cmdExit->text(), QStringLiteral("E&xit"));
    EXPECT_EQ(window->TotalListbox(), 1);
    EXPECT_EQ(window->CurrentIndex(), 0);
}

TEST(MainWindowObject, AFileSystemObjectThatCannotBeCreatedIsReported)
{
    resetAppState();
    app().AppTitle = "Umbrix";
    ScopedMsgBoxResponder messages;
    FrmSeek window;
    EXPECT_FALSE(window.SetObject([]() -> std::unique_ptr<FileSystemObject> {
        throw Error{429, "ActiveX component can't create object"};
    }));
    EXPECT_EQ(window.FileSystem, nullptr);
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_EQ(messages.calls()[0].prompt, QStringLiteral("SCRRUN.DLL\r\rActiveX component can't create object"));
    EXPECT_EQ(messages.calls()[0].buttons, MsgBoxStyle::Critical);
    EXPECT_EQ(messages.calls()[0].title, QStringLiteral("Umbrix"));
    EXPECT_FALSE(window.isVisible());
    resetAppState();
}

class MainWindow : public MainWindowFixture {};

TEST_F(MainWindow, ExitEndsInOrder)
{
    window->cmdExit->click();
    EXPECT_TRUE(app().Closing);
    EXPECT_FALSE(window->cmdExit->isEnabled());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->FileSystem, nullptr);
}

TEST_F(MainWindow, TheCloseBoxSetsClosingAndReleasesTheFileSystem)
{
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(app().Closing);
    EXPECT_EQ(window->FileSystem, nullptr);
    EXPECT_EQ(beeps.count(), 0);
}

// Records the keys that reach a widget.
class KeySpy : public QObject {
public:
    int keys = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress)
            ++keys;
        return false;
    }
};

TEST_F(MainWindow, EscDuringASearchIsTakenByTheWindowAndPassesOtherwise)
{
    KeySpy spy;
    window->txtSearchSpec->installEventFilter(&spy);

    QTest::keyClick(window->txtSearchSpec.get(), Qt::Key_Escape);
    EXPECT_EQ(spy.keys, 1);
    EXPECT_EQ(beeps.count(), 0);
    EXPECT_FALSE(app().CancelSearch);

    app().Searching = true;
    QTest::keyClick(window->txtSearchSpec.get(), Qt::Key_Escape);
    EXPECT_EQ(spy.keys, 1) << "the key is swallowed";
    EXPECT_EQ(beeps.count(), 1);
    EXPECT_TRUE(app().CancelSearch);

    QTest::keyClick(window->txtSearchSpec.get(), Qt::Key_A);
    EXPECT_EQ(spy.keys, 2) << "other keys pass";
    app().Searching = false;
}

TEST_F(MainWindow, AClickOnTheDirectoryIndicatorBeeps)
{
    file("h", 0x2);
    window->cmdSearch->click();
    ASSERT_TRUE(window->fraAttrib.Visible());
    const int before = beeps.count();

    // The indicator square, 5175..5340 x 435..600 twips in the panel.
    auto click = [&](float x, float y, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
        const QPoint inPanel(window->scale().toPixelsX(x), window->scale().toPixelsY(y));
        const QPoint inWindow = window->fraAttrib->mapTo(window.get(), inPanel);
        QTest::mouseClick(window->windowHandle(), button, modifiers, inWindow);
    };
    click(5250, 510, Qt::LeftButton, Qt::NoModifier);
    EXPECT_EQ(beeps.count(), before + 1);
    click(5250, 510, Qt::RightButton, Qt::NoModifier);
    click(5250, 510, Qt::LeftButton, Qt::ShiftModifier);
    click(5250, 510, Qt::LeftButton, Qt::ControlModifier);
    click(4950, 510, Qt::LeftButton, Qt::NoModifier);
    EXPECT_EQ(beeps.count(), before + 1);

    window->fraAttrib_MouseDown(1, 0, 5175, 435);
    window->fraAttrib_MouseDown(1, 0, 5340, 600);
    EXPECT_EQ(beeps.count(), before + 3) << "the square's edges belong to it";
    window->fraAttrib_MouseDown(1, 0, 5341, 600);
    window->fraAttrib_MouseDown(1, 0, 5175, 434);
    EXPECT_EQ(beeps.count(), before + 3);
}

TEST_F(MainWindow, TheDirectoryMenuItemOnlyBeeps)
{
    window->mnuDir->trigger();
    EXPECT_EQ(beeps.count(), 1);
    EXPECT_TRUE(messages.calls().empty());
}

TEST_F(MainWindow, OptionBoxesSetTheFlagsAndFilesAndDirectoriesExcludeEachOther)
{
    window->chkViewAll->click();
    EXPECT_TRUE(app().ViewAll);
    window->chkSubDir->click();
    EXPECT_FALSE(app().SearchSubDirs);

    window->chkFolder->click();
    EXPECT_TRUE(app().DirsOnly);
    window->chkFiles->click();
    EXPECT_TRUE(app().FilesOnly);
    EXPECT_FALSE(app().DirsOnly);
    EXPECT_FALSE(window->chkFolder->isChecked());
    window->chkFolder->click();
    EXPECT_TRUE(app().DirsOnly);
    EXPECT_FALSE(app().FilesOnly);
    EXPECT_FALSE(window->chkFiles->isChecked());
    window->chkFolder->click();
    EXPECT_FALSE(app().DirsOnly);
    EXPECT_FALSE(app().FilesOnly);
}

} // namespace
} // namespace umbrix
