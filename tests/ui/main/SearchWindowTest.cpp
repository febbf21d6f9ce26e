#include "platform/PathText.h"
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
        hook_.reset(); // before the next takes its place
        hook_ = std::make_unique<ScopedDoEventsHook>(
            [this, n, done = false, action = std::move(action)]() mutable {
                if (!done && state.ScannedCount >= n) {
                    done = true;
                    action();
                }
            });
    }
    void expectCompleted()
    {
        ASSERT_EQ(messageCount(), 1);
        EXPECT_EQ(messages.calls()[0].prompt, QStringLiteral("File scanning completed."));
        EXPECT_EQ(messages.calls()[0].buttons, MsgBoxStyle::Information);
        EXPECT_EQ(beeps.count(), 1);
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

    // Sorted without regard to case; names that are not UTF-8 kept exact.
    EXPECT_EQ(resultRows(),
              (std::vector<std::string>{at("both.ini"), at("core.sys"), at(odd), at("secret"),
                                        at("secret/inner.doc"), at("Shy.txt")}));
    EXPECT_EQ(window->lstFoundFiles.box(0).List(2), QString::fromStdString(displayText(at(odd))));
    EXPECT_EQ(window->lblFound->text(), QStringLiteral("Found Files:"));
    EXPECT_EQ(window->lblCount->text(), QStringLiteral("6"));
    // Reading root 2+6, secret 2+1; listing secret 1, root 6.
    EXPECT_EQ(window->lblCountx->text(), QStringLiteral("18"));
    EXPECT_TRUE(window->fraAttrib.Visible());
    expectTidyLayout();
    EXPECT_LT(window->lblCountx.Left(), window->txtTip.Left());
    EXPECT_FLOAT_EQ(window->txtTip.Left() + window->txtTip.Width(), window->ScaleWidth());
    EXPECT_EQ(window->cmdSearch->text(), QStringLiteral("Reset"));
    expectCompleted();
    EXPECT_FALSE(state.Searching);
    // Unhidden by the search: hidden alone was cleared, system kept.
    EXPECT_EQ(attributesOf("Shy.txt"), 0u);
    EXPECT_EQ(attributesOf("both.ini"), 0x6u);
}

// Esc, which is the window's while a search runs, stops the walk and keeps
// what was found; Cancel stops it and goes back to the browser view;
// neither announces an end.
TEST_F(SearchWindow, EscKeepsWhatWasFoundAndCancelDiscardsIt)
{
    hiddenFiles(30);
    for (const bool esc : {true, false}) {
        SCOPED_TRACE(esc ? "Esc" : "Cancel");
        if (window->view() != FrmSeek::View::Browser)
            window->cmdSearch->click();
        for (int i = 0; i < 30; ++i)
            test::setDosAttrib(at("h" + std::to_string(i)), 0x2);
        const int beepsBefore = beeps.count();
        actionAfter(40, [this, esc] {
            EXPECT_EQ(window->lblFound->text(), QStringLiteral("Scanning File:"));
            EXPECT_EQ(window->lblCount->text(), QString::number(state.ScannedCount));
            EXPECT_TRUE(window->lblDir->text().startsWith(QString::fromStdString(at("h"))));
            expectTidyLayout();
            ASSERT_EQ(window->cmdExit->text(), QStringLiteral("Cancel"));
            if (esc)
                QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget()
                                                            : window.get(),
                                Qt::Key_Escape);
            else
                window->cmdExit->click();
        });
        window->cmdSearch->click();
        const int kept = static_cast<int>(resultRows().size());
        if (esc) {
            EXPECT_GT(kept, 0);
            EXPECT_LT(kept, 30);
            EXPECT_EQ(window->lblCount->text(), QString::number(kept));
            EXPECT_EQ(window->view(), FrmSeek::View::Results);
        } else {
            EXPECT_EQ(window->lstFoundFiles.box(0).ListCount(), 0);
            EXPECT_EQ(window->view(), FrmSeek::View::Browser);
            EXPECT_TRUE(window->isVisible()) << "Cancel only stops the search";
        }
        EXPECT_EQ(beeps.count(), beepsBefore + (esc ? 1 : 0)) << "Esc's own beep, no end beep";
        EXPECT_EQ(window->cmdExit->text(), QStringLiteral("E&xit"));
        EXPECT_EQ(messageCount(), 0);
        EXPECT_FALSE(state.CancelSearch || state.Searching);
    }
}

TEST_F(SearchWindow, FindingNothingShowsZeroAndResetReturnsTheBrowserView)
{
    file("plain.txt");
    const std::vector<QRect> browser = arrangement();
    window->cmdSearch->click();
    EXPECT_EQ(window->lblCount->text(), QStringLiteral("0"));
    EXPECT_FALSE(window->fraAttrib.Visible());
    expectCompleted();
    ASSERT_NE(arrangement(), browser);
    window->cmdSearch->click();
    EXPECT_EQ(arrangement(), browser) << "every control back where it was";
    EXPECT_EQ(window->cmdSearch->text(), QStringLiteral("Search"));
    EXPECT_EQ(window->browser.dirList->Path(), tree.path());
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
    window->cmdSearch->click();
    EXPECT_EQ(window->browser.dirList->Path(), at("inner"));
    EXPECT_EQ(window->view(), FrmSeek::View::Browser) << "no search was run";
    window->cmdSearch->click();
    EXPECT_EQ(resultRows(), std::vector<std::string>{at("inner/x")});
}

// Enter in the search box opens a folder typed, or a folder and pattern;
// anything else leaves everything where it was.
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
        {at("missing/*.txt"), at("logs"), at("missing/*.txt"), {"b.doc"}},
    };
    QLineEdit* box = window->browser.txtSearchSpec.get();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        box->setFocus();
        state.Busy = true;
        box->clear();
        state.Busy = false;
        QTest::keyClicks(box, QString::fromStdString(c.typed));
        QTest::keyClick(box, Qt::Key_Return);
        char here[PATH_MAX];
        EXPECT_EQ(window->browser.dirList->Path(), c.folder);
        EXPECT_EQ(window->browser.filList->Path(), c.folder);
        EXPECT_EQ(std::string(::getcwd(here, sizeof here)), c.folder);
        EXPECT_EQ(box->text(), QString::fromStdString(c.box));
        EXPECT_EQ(fileNames(), c.files);
    }
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
    EXPECT_TRUE(fileNames().empty());
    QTest::keyClicks(box, QStringLiteral("xt"));
    EXPECT_EQ(fileNames(), std::vector<std::string>{"top.txt"});
    EXPECT_EQ(messageCount(), 0);

    box->setText(QStringLiteral("bad") + QChar(0));
    ASSERT_EQ(messageCount(), 1);
    EXPECT_EQ(messages.calls()[0].prompt, QStringLiteral("Not valid search criteria."));
    EXPECT_EQ(messages.calls()[0].buttons, MsgBoxStyle::Critical);
    EXPECT_EQ(box->text(), QStringLiteral("*.txt"));
    EXPECT_EQ(window->browser.filList->Pattern(), "*.txt");
    EXPECT_EQ(window->browser.dirList->Path(), tree.path());
}

} // namespace
} // namespace umbrix
