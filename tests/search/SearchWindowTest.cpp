#include "platform/AttributeStore.h"
#include "platform/PathText.h"
#include "ui/controls/FileListBox.h"
#include "ui/main/MainWindowFixture.h"

#include <QTest>

namespace umbrix {
namespace {

using test::MainWindowFixture;

uint32_t storedAttributes(const std::string& path)
{
    uint32_t word = 0;
    EXPECT_EQ(platform::queryAttributes(path, word), 0) << path;
    return word & (platform::Attr::Hidden | platform::Attr::System);
}

class SearchWindow : public MainWindowFixture {
protected:
    // Presses Esc in the window at the first yield after n examined entries.
    void escAfter(int n)
    {
        actionAfter(n, [this] {
            QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window.get();
            QTest::keyClick(target, Qt::Key_Escape);
        });
    }
    // Runs `action` once, at the first yield after n examined entries.  The
    // window yields at most every few milliseconds, so the entries are made
    // slow enough for every one of them to reach a yield.
    void actionAfter(int n, std::function<void()> action)
    {
        app().ScanPause = 0.01f;
        hook_ = std::make_unique<ScopedDoEventsHook>([n, done = false, action = std::move(action)]() mutable {
            if (!done && app().ScannedCount >= n) {
                done = true;
                action();
            }
        });
    }

private:
    std::unique_ptr<ScopedDoEventsHook> hook_;
};

TEST_F(SearchWindow, AWholeSearchListsSortedRowsWithTotalsAndAnnouncesTheEnd)
{
    file("plain.txt");
    file("Shy.txt", 0x2);
    file("core.sys", 0x4);
    file("both.ini", 0x6);
    folder("secret", 0x2);
    file("secret/inner.doc", 0x2);
    const std::string odd("na\xefve\xff.dat", 10);
    file(odd, 0x4);

    window->cmdSearch->click();

    EXPECT_EQ(resultRows(), (std::vector<std::string>{at("both.ini"), at("core.sys"), at(odd), at("secret"),
                                                      at("secret/inner.doc"), at("Shy.txt")}));
    EXPECT_EQ(window->resultBox(0).List(2), QString::fromStdString(displayText(at(odd))));

    // The hidden, non-system entries were made visible on disk.
    EXPECT_EQ(storedAttributes(at("Shy.txt")), 0u);
    EXPECT_EQ(storedAttributes(at("secret")), 0u);
    EXPECT_EQ(storedAttributes(at("both.ini")), 0x6u);

    EXPECT_EQ(window->lblFound->text(), QStringLiteral("Found Files:"));
    EXPECT_EQ(window->lblCount->text(), QStringLiteral("6"));
    EXPECT_EQ(window->lblScanned->text(), QStringLiteral("Scanned Files:"));
    EXPECT_EQ(window->lblCountx->text(), QString::number(app().ScannedCount));
    EXPECT_GT(app().ScannedCount, 6);
    EXPECT_FALSE(window->lblDir.Visible());
    EXPECT_TRUE(window->fraAttrib.Visible());
    EXPECT_TRUE(window->txtTip.Visible());
    EXPECT_EQ(window->txtTip->text(), QString());
    // One row: found, its count 120 further, scanned 240 further, and the
    // path line 120 after the scanned count, reaching the right edge.
    EXPECT_FLOAT_EQ(window->lblCount.Left(), window->lblFound.Left() + window->lblFound.Width() + 120);
    EXPECT_FLOAT_EQ(window->lblScanned.Left(), window->lblCount.Left() + window->lblCount.Width() + 240);
    EXPECT_FLOAT_EQ(window->lblCountx.Left(), window->lblScanned.Left() + window->lblScanned.Width() + 120);
    EXPECT_FLOAT_EQ(window->txtTip.Left(), window->lblCountx.Left() + window->lblCountx.Width() + 120);
    EXPECT_FLOAT_EQ(window->txtTip.Left() + window->txtTip.Width(), window->ScaleWidth());
    EXPECT_FLOAT_EQ(window->lblCount.Width(), window->TextWidth(QStringLiteral("  6 ")));

    EXPECT_EQ(window->cmdSearch->text(), QStringLiteral("Reset"));
    EXPECT_EQ(window->cmdExit->text(), QStringLiteral("E&xit"));
    EXPECT_TRUE(window->cmdSearch.Visible());

    EXPECT_EQ(beeps.count(), 1);
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_EQ(messages.calls()[0].prompt, QStringLiteral("File scanning completed."));
    EXPECT_EQ(messages.calls()[0].title, QStringLiteral("Umbrix"));
    EXPECT_EQ(messages.calls()[0].buttons, MsgBoxStyle::Information);
    EXPECT_FALSE(app().Searching);
    EXPECT_FALSE(app().CancelSearch);
}

TEST_F(SearchWindow, ASearchThatFindsNothingShowsZeroWithoutTheAttributePanel)
{
    file("plain.txt");

    window->cmdSearch->click();

    EXPECT_EQ(window->lblCount->text(), QStringLiteral("0"));
    EXPECT_FLOAT_EQ(window->lblCount.Width(), window->TextWidth(QStringLiteral("  0 ")));
    EXPECT_FALSE(window->fraAttrib.Visible());
    EXPECT_FALSE(window->txtTip.Visible());
    EXPECT_TRUE(window->lblScanned.Visible());
    EXPECT_EQ(beeps.count(), 1);
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_EQ(messages.calls()[0].prompt, QStringLiteral("File scanning completed."));
}

TEST_F(SearchWindow, EscStopsTheWalkAndKeepsWhatWasFound)
{
    for (int i = 0; i < 30; ++i)
        file("h" + std::to_string(i), 0x2);
    escAfter(40);

    window->cmdSearch->click();

    const std::size_t kept = resultRows().size();
    EXPECT_GT(kept, 0u);
    EXPECT_LT(kept, 30u);
    EXPECT_EQ(window->lblCount->text(), QString::number(kept));
    EXPECT_EQ(window->cmdSearch->text(), QStringLiteral("Reset"));
    EXPECT_EQ(beeps.count(), 1) << "the Esc key's own beep, no completion beep";
    EXPECT_TRUE(messages.calls().empty());
    EXPECT_FALSE(app().CancelSearch);
    EXPECT_FALSE(app().Searching);
}

TEST_F(SearchWindow, CancelDiscardsAndReturnsToTheBrowserView)
{
    for (int i = 0; i < 30; ++i)
        file("h" + std::to_string(i), 0x2);
    actionAfter(40, [this] {
        EXPECT_EQ(window->cmdExit->text(), QStringLiteral("Cancel"));
        window->cmdExit->click();
    });

    window->cmdSearch->click();

    EXPECT_FALSE(window->lstFoundFiles[0].Visible());
    EXPECT_EQ(window->resultBox(0).ListCount(), 0);
    EXPECT_TRUE(window->txtSearchSpec.Visible());
    EXPECT_TRUE(window->dirList.Visible());
    EXPECT_FALSE(window->lblFound.Visible());
    EXPECT_EQ(window->cmdSearch->text(), QStringLiteral("Search"));
    EXPECT_EQ(window->cmdExit->text(), QStringLiteral("E&xit"));
    EXPECT_EQ(beeps.count(), 0);
    EXPECT_TRUE(messages.calls().empty());
    EXPECT_TRUE(window->isVisible()) << "Cancel only stops the search";
    EXPECT_FALSE(app().Searching);
}

TEST_F(SearchWindow, TheSearchingViewShowsProgressInOneRow)
{
    for (int i = 0; i < 5; ++i)
        file("h" + std::to_string(i), 0x2);
    bool seen = false;
    actionAfter(12, [&] {
        seen = true;
        EXPECT_EQ(window->lblFound->text(), QStringLiteral("Scanning File:"));
        EXPECT_EQ(window->lblCount->text(), QString::number(app().ScannedCount));
        EXPECT_TRUE(window->lblDir->text().startsWith(QString::fromStdString(tree.path() + "/")));
        EXPECT_FLOAT_EQ(window->lblFound.Top(), 180);
        EXPECT_FLOAT_EQ(window->lblCount.Top(), 150);
        EXPECT_FLOAT_EQ(window->lblDir.Left(), window->lblCount.Left() + window->lblCount.Width() + 120);
        EXPECT_FALSE(window->cmdSearch.Visible());
        EXPECT_FALSE(window->dirList.Visible());
        EXPECT_TRUE(window->lstFoundFiles[0].Visible());
        EXPECT_FLOAT_EQ(window->lstFoundFiles[0].Top(), 480);
        EXPECT_FLOAT_EQ(window->lstFoundFiles[0].Left(), 120);
    });

    window->cmdSearch->click();
    EXPECT_TRUE(seen);
}

TEST_F(SearchWindow, ResetReturnsTheBrowserViewAtItsWidthAndFolder)
{
    folder("sub");
    file("sub/x", 0x2);
    window->cmdSearch->click();
    ASSERT_EQ(window->cmdSearch->text(), QStringLiteral("Reset"));

    window->cmdSearch->click();

    EXPECT_EQ(window->cmdSearch->text(), QStringLiteral("Search"));
    EXPECT_FALSE(window->lstFoundFiles[0].Visible());
    EXPECT_EQ(window->resultBox(0).ListCount(), 0);
    EXPECT_NEAR(window->Width(), window->CurrentWidth(), window->scale().x);
    EXPECT_NEAR(window->Height(), 4600, window->scale().y);
    EXPECT_FLOAT_EQ(window->cmdSearch.Left(), 4590);
    EXPECT_FLOAT_EQ(window->cmdSearch.Top(), 2970);
    EXPECT_FLOAT_EQ(window->cmdExit.Top(), 3480);
    EXPECT_EQ(window->dirList->Path(), tree.path());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Umbrix"));
    EXPECT_TRUE(window->CancelAction());
}

TEST_F(SearchWindow, ClosingIsRefusedWhileTheSearchRuns)
{
    for (int i = 0; i < 5; ++i)
        file("h" + std::to_string(i), 0x2);
    bool closed = true;
    actionAfter(8, [&] { closed = window->close(); });

    window->cmdSearch->click();

    EXPECT_FALSE(closed);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(beeps.count(), 2) << "the refusal's beep and the completion beep";
    EXPECT_FALSE(app().Closing);
    EXPECT_TRUE(window->close()) << "once the search is over the window closes";
    EXPECT_TRUE(app().Closing);
}

TEST_F(SearchWindow, AMinimizedSearchCountsInTheCaptionAndEndsRestored)
{
    for (int i = 0; i < 6; ++i)
        file("h" + std::to_string(i), 0x2);
    app().ScanPause = 0.01f;
    QStringList captions;
    ScopedDoEventsHook hook([&] {
        if (app().ScannedCount >= 8 && window->WindowState() != 1 && captions.isEmpty())
            window->setWindowStateValue(1);
        if (window->WindowState() == 1)
            captions << window->windowTitle();
    });

    window->cmdSearch->click();

    ASSERT_FALSE(captions.isEmpty());
    EXPECT_TRUE(captions.last().startsWith(QStringLiteral("Scanned files: "))) << captions.last().toStdString();
    EXPECT_EQ(window->WindowState(), 0);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Umbrix"));
    EXPECT_EQ(resultRows().size(), 6u);
}

TEST_F(SearchWindow, AClickedDirectoryIsOpenedInsteadOfSearched)
{
    folder("inner");
    file("inner/x", 0x2);
    window->dirList->refresh();
    window->dirList->setListIndex(0);
    ASSERT_EQ(app().DirChanged, 1);

    window->cmdSearch->click();
    EXPECT_EQ(window->dirList->Path(), at("inner"));
    EXPECT_EQ(app().DirChanged, 0);
    EXPECT_FALSE(window->lstFoundFiles[0].Visible()) << "no search was run";

    window->cmdSearch->click();
    EXPECT_EQ(resultRows(), std::vector<std::string>{at("inner/x")});
}

TEST_F(SearchWindow, TheSpecificationChoosesPatternAndCriteria)
{
    folder("logs");
    folder("misc");
    file("logs/a.txt", 0x2);
    file("logs/b.doc", 0x2);
    file("misc/c.txt", 0x2);

    app().Busy = true;
    window->txtSearchSpec->setText(QStringLiteral("logs/*.txt"));
    app().Busy = false;
    window->cmdSearch->click();

    EXPECT_EQ(app().SearchPattern, "*.txt");
    EXPECT_EQ(app().SearchCriteria, "logs/");
    EXPECT_EQ(window->filList->Pattern(), "*.txt");
    EXPECT_EQ(resultRows(), std::vector<std::string>{at("logs/a.txt")});
    // The walk still made every hidden entry visible, listed or not.
    EXPECT_EQ(storedAttributes(at("misc/c.txt")), 0u);
}

} // namespace
} // namespace umbrix
