#include "platform/PathText.h"
#include "ui/controls/DriveListBox.h"
#include "ui/controls/FileListBox.h"
#include "ui/main/MainWindowFixture.h"

#include <QTest>

namespace umbrix {
namespace {

class SearchWindow : public test::MainWindowFixture {
protected:
    void hiddenFiles(int n)
    {
        for (int i = 0; i < n; ++i)
            file("h" + std::to_string(i), 0x2);
    }
    // Runs `action` once, at the first yield after n examined entries.  The
    // window yields at most every few milliseconds, so the entries are made
    // slow enough for every one of them to reach a yield.
    void actionAfter(int n, std::function<void()> action)
    {
        state.ScanPause = 0.01f;
        hook_ = std::make_unique<ScopedDoEventsHook>(
            [this, n, done = false, action = std::move(action)]() mutable {
                if (!done && state.ScannedCount >= n) {
                    done = true;
                    action();
                }
            });
    }
    void expectMessage(const char* prompt, int icon)
    {
        ASSERT_EQ(messages.calls().size(), 1u);
        EXPECT_EQ(messages.calls()[0].prompt, QString::fromUtf8(prompt));
        EXPECT_EQ(messages.calls()[0].title, QStringLiteral("Umbrix"));
        EXPECT_EQ(messages.calls()[0].buttons, icon);
    }
    // The window's size and every control's place, where it shows.
    std::vector<QRect> arrangement() const
    {
        std::vector<QRect> out{QRect(QPoint(), window->size())};
        for (const QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (child->isVisibleTo(window.get()))
                out.push_back(child->geometry());
        return out;
    }
    std::vector<std::string> files() const
    {
        std::vector<std::string> names;
        for (int i = 0; i < window->browser.filList->ListCount(); ++i)
            names.push_back(window->browser.filList->List(i));
        return names;
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

    EXPECT_EQ(resultRows(),
              (std::vector<std::string>{at("both.ini"), at("core.sys"), at(odd), at("secret"),
                                        at("secret/inner.doc"), at("Shy.txt")}));
    EXPECT_EQ(window->lstFoundFiles.box(0).List(2), QString::fromStdString(displayText(at(odd))));

    EXPECT_EQ(window->lblFound->text(), QStringLiteral("Found Files:"));
    EXPECT_EQ(window->lblCount->text(), QStringLiteral("6"));
    EXPECT_EQ(window->lblScanned->text(), QStringLiteral("Scanned Files:"));
    // Reading root 2+6, secret 2+1; listing secret 1, root 6.
    EXPECT_EQ(window->lblCountx->text(), QStringLiteral("18"));
    EXPECT_FALSE(window->lblDir.Visible());
    EXPECT_TRUE(window->fraAttrib.Visible());
    // Along one line: the found count, the scanned count, then the path
    // line reaching the right edge; the two counts stand further apart than
    // each caption from its number.
    expectTidyLayout();
    const auto gapAfter = [](const auto& left, const auto& right) {
        return right.Left() - left.Left() - left.Width();
    };
    EXPECT_GT(gapAfter(window->lblCount, window->lblScanned),
              gapAfter(window->lblFound, window->lblCount));
    EXPECT_LT(window->lblCountx.Left(), window->txtTip.Left());
    EXPECT_FLOAT_EQ(window->txtTip.Left() + window->txtTip.Width(), window->ScaleWidth());
    EXPECT_EQ(window->cmdSearch->text(), QStringLiteral("Reset"));
    EXPECT_EQ(window->cmdExit->text(), QStringLiteral("E&xit"));

    EXPECT_EQ(beeps.count(), 1);
    expectMessage("File scanning completed.", MsgBoxStyle::Information);
    EXPECT_FALSE(state.Searching);
}

TEST_F(SearchWindow, EscStopsTheWalkAndKeepsWhatWasFound)
{
    hiddenFiles(30);
    actionAfter(40, [this] {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : window.get(), Qt::Key_Escape);
    });
    window->cmdSearch->click();

    const std::size_t kept = resultRows().size();
    EXPECT_GT(kept, 0u);
    EXPECT_LT(kept, 30u);
    EXPECT_EQ(window->lblCount->text(), QString::number(kept));
    EXPECT_EQ(window->cmdSearch->text(), QStringLiteral("Reset"));
    EXPECT_EQ(beeps.count(), 1) << "the Esc key's own beep, no completion beep";
    EXPECT_TRUE(messages.calls().empty());
    EXPECT_FALSE(state.CancelSearch);
    EXPECT_FALSE(state.Searching);
}

TEST_F(SearchWindow, TheSearchingViewShowsProgressAndCancelDiscardsIt)
{
    hiddenFiles(30);
    actionAfter(40, [this] {
        EXPECT_EQ(window->lblFound->text(), QStringLiteral("Scanning File:"));
        EXPECT_EQ(window->lblCount->text(), QString::number(state.ScannedCount));
        EXPECT_TRUE(window->lblDir->text().startsWith(QString::fromStdString(tree.path() + "/h")));
        expectTidyLayout();
        EXPECT_FALSE(window->browser.dirList.Visible());
        EXPECT_FALSE(window->cmdSearch.Visible());
        ASSERT_EQ(window->cmdExit->text(), QStringLiteral("Cancel"));
        window->cmdExit->click();
    });
    window->cmdSearch->click();

    EXPECT_FALSE(window->lstFoundFiles[0].Visible());
    EXPECT_EQ(window->lstFoundFiles.box(0).ListCount(), 0);
    EXPECT_TRUE(window->browser.dirList.Visible());
    EXPECT_FALSE(window->lblFound.Visible());
    EXPECT_EQ(window->cmdSearch->text(), QStringLiteral("Search"));
    EXPECT_EQ(window->cmdExit->text(), QStringLiteral("E&xit"));
    EXPECT_EQ(beeps.count(), 0);
    EXPECT_TRUE(messages.calls().empty());
    EXPECT_TRUE(window->isVisible()) << "Cancel only stops the search";
}

TEST_F(SearchWindow, FindingNothingShowsZeroAndResetReturnsTheBrowserView)
{
    file("plain.txt");
    const std::vector<QRect> browser = arrangement();
    window->cmdSearch->click();
    EXPECT_EQ(window->lblCount->text(), QStringLiteral("0"));
    EXPECT_FALSE(window->fraAttrib.Visible());
    EXPECT_FALSE(window->txtTip.Visible());
    EXPECT_EQ(beeps.count(), 1);
    expectMessage("File scanning completed.", MsgBoxStyle::Information);
    ASSERT_NE(arrangement(), browser);

    // Reset puts the window and every control back as they were.
    window->cmdSearch->click();
    EXPECT_EQ(arrangement(), browser);
    EXPECT_EQ(window->cmdSearch->text(), QStringLiteral("Search"));
    EXPECT_EQ(window->browser.dirList->Path(), tree.path());
    EXPECT_TRUE(window->CancelAction());
}

TEST_F(SearchWindow, ClosingIsRefusedWhileTheSearchRuns)
{
    hiddenFiles(5);
    bool closed = true;
    actionAfter(4, [&] { closed = window->close(); });
    window->cmdSearch->click();

    EXPECT_FALSE(closed);
    EXPECT_EQ(beeps.count(), 2) << "the refusal's beep and the completion beep";
    EXPECT_FALSE(state.Closing);
    EXPECT_TRUE(window->close()) << "once the search is over the window closes";
    EXPECT_TRUE(state.Closing);
}

TEST_F(SearchWindow, AClickedDirectoryIsOpenedInsteadOfSearched)
{
    folder("inner");
    file("inner/x", 0x2);
    window->browser.dirList->refresh();
    window->browser.dirList->setListIndex(0);
    ASSERT_EQ(state.DirChanged, 1);

    window->cmdSearch->click();
    EXPECT_EQ(window->browser.dirList->Path(), at("inner"));
    EXPECT_FALSE(window->lstFoundFiles[0].Visible()) << "no search was run";

    window->cmdSearch->click();
    EXPECT_EQ(resultRows(), std::vector<std::string>{at("inner/x")});
}

TEST_F(SearchWindow, EnterOpensWhatWasTyped)
{
    folder("logs");
    file("logs/a.txt");
    file("logs/b.doc");
    const struct {
        std::string typed, folder, box;
        std::vector<std::string> files;
    } cases[] = {
        {at("logs"), at("logs"), "*.*", {"a.txt", "b.doc"}},
        {at("logs/*.doc"), at("logs"), "*.doc", {"b.doc"}},
        // Neither file nor folder: everything stays where it was.
        {at("missing/*.txt"), at("logs"), at("missing/*.txt"), {"b.doc"}},
        {"/", "/", "*.*", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        QLineEdit* box = window->browser.txtSearchSpec.get();
        box->setFocus();
        state.Busy = true;
        box->clear();
        state.Busy = false;
        QTest::keyClicks(box, QString::fromStdString(c.typed));
        QTest::keyClick(box, Qt::Key_Return);
        // The file list and the current directory follow the opened folder.
        char here[PATH_MAX];
        EXPECT_EQ(window->browser.dirList->Path(), c.folder);
        EXPECT_EQ(window->browser.filList->Path(), c.folder);
        EXPECT_EQ(std::string(::getcwd(here, sizeof here)), c.folder);
        EXPECT_EQ(box->text(), QString::fromStdString(c.box));
        if (!c.files.empty()) {
            EXPECT_EQ(files(), c.files);
        }
    }
    EXPECT_EQ(window->browser.drvList->DriveRoot(), "/");
    EXPECT_EQ(state.CurrentPath, "/");
}

TEST_F(SearchWindow, TypingFiltersTheFileListAndABadPatternIsRefused)
{
    file("top.txt");
    file("top.doc");
    // Coming into the box selects its text, so typing replaces it.
    QLineEdit* box = window->browser.txtSearchSpec.get();
    box->deselect();
    window->cmdSearch->setFocus();
    box->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(QTest::qWaitFor([&] { return box->hasFocus(); }));
    QTest::keyClicks(box, QStringLiteral("*.t"));
    EXPECT_TRUE(files().empty());
    QTest::keyClicks(box, QStringLiteral("xt"));
    EXPECT_EQ(window->browser.filList->Pattern(), "*.txt");
    EXPECT_EQ(files(), std::vector<std::string>{"top.txt"});
    EXPECT_TRUE(messages.calls().empty());

    // The old pattern is no folder, so the lists stay in the current directory.
    box->setText(QStringLiteral("bad") + QChar(0));
    expectMessage("Not valid search criteria.", MsgBoxStyle::Critical);
    EXPECT_EQ(box->text(), QStringLiteral("*.txt"));
    EXPECT_EQ(window->browser.filList->Pattern(), "*.txt");
    EXPECT_EQ(window->browser.dirList->Path(), tree.path());
}

} // namespace
} // namespace umbrix
