#include "platform/Error.h"
#include "platform/FaultInjection.h"
#include "ui/main/MainWindowFixture.h"
#include "ui/services/FolderBrowser.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cerrno>

namespace umbrix {
namespace {

using platform::FaultPoint;
using platform::ScopedFaultHook;
using Names = std::vector<std::string>;
using test::exists;

constexpr auto kUnprompted = Qt::ControlModifier | Qt::ShiftModifier;
constexpr int kQuestion = MsgBoxStyle::YesNo + MsgBoxStyle::Question + MsgBoxStyle::DefaultButton2;

class FileCommandsWindow : public test::MainWindowFixture {
protected:
    ResultListBox& box() { return window->lstFoundFiles.box(0); }
    Names rows()
    {
        Names names;
        for (int i = 0; i < box().ListCount(); ++i)
            names.push_back(box().ListPath(i).substr(tree.path().size() + 1));
        return names;
    }
};

// Delete asks, Yes alone deletes; Ctrl+Shift+Delete deletes without asking;
// Ctrl or Shift alone do nothing.  Then the window shows what is true now:
// the rows below a deleted folder go with it, from every box, and the
// counter, the panel, the path line and, after Reset, the browser's lists
// follow.  The menu's delete hides the box while the rows go.
TEST_F(FileCommandsWindow, TheResultListDeletesTheSelectedRows)
{
    folder("t");
    addResultBox({{"a", 0}, {"b", 0}, {"c", 0x1}, {"t", 0}, {"t/x", 0}, {"t/y", 0}});
    addResultBox({{"t/z", 0}, {"u", 0}});
    ShowSearchResults(*window);
    const Names all = rows();
    const struct {
        Qt::KeyboardModifiers modifiers;
        int answer;
        bool asked;
    } cases[] = {{Qt::ControlModifier, MsgBoxAnswer::Yes, false},
                 {Qt::ShiftModifier, MsgBoxAnswer::Yes, false},
                 {Qt::NoModifier, MsgBoxAnswer::No, true},
                 {Qt::NoModifier, MsgBoxAnswer::Cancel, true},
                 {kUnprompted, MsgBoxAnswer::OK, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.modifiers << " answered " << c.answer);
        selectRows(0, {3}, 3);
        ScopedMsgBoxResponder answers([&](const MsgBoxCall&) { return c.answer; });
        QTest::keyClick(&box(), Qt::Key_Delete, c.modifiers);
        EXPECT_EQ(exists(at("t")), c.modifiers != kUnprompted);
        ASSERT_EQ(answers.calls().size(), c.asked ? 1u : 0u);
        if (c.asked) {
            EXPECT_EQ(answers.calls()[0].title, QStringLiteral("Delete"));
            EXPECT_EQ(answers.calls()[0].buttons, kQuestion);
            EXPECT_EQ(rows(), all);
        }
    }
    EXPECT_EQ(resultRows(), (Names{at("a"), at("b"), at("c"), at("u")}));
    EXPECT_EQ(window->lblCount->text(), QStringLiteral("4"));
    EXPECT_EQ(box().ListIndex(), 2);
    EXPECT_EQ(window->txtTip->text().toStdString(), at("c"));
    EXPECT_EQ(panel(), (std::vector<int>{1, 0, 0, 0, 0})) << "c is read-only";

    selectRows(0, {0, 1}, 0);
    bool hiddenMeanwhile = false;
    const ScopedFaultHook watch([&](FaultPoint point, std::string_view) {
        hiddenMeanwhile |= point == FaultPoint::Unlink && !box().isVisible();
        return 0;
    });
    ScopedMsgBoxResponder yes([](const MsgBoxCall&) { return MsgBoxAnswer::Yes; });
    window->bAttribute->mnuDelete->trigger();
    EXPECT_EQ(yes.calls().size(), 1u);
    EXPECT_EQ(rows(), Names{"c"});
    EXPECT_TRUE(hiddenMeanwhile && box().isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Umbrix"));
    window->cmdSearch->click();
    ASSERT_EQ(window->view(), FrmSeek::View::Browser);
    EXPECT_EQ(fileRow("a"), -1);
    EXPECT_GE(fileRow("c"), 0);
}

// The browser's lists: the file list's keys as the result list's, its
// highlight staying in place; the directory list's key always asks, about
// the highlighted folder, and does nothing on the open folder.
TEST_F(FileCommandsWindow, TheBrowserListsDeleteTheHighlightedEntry)
{
    file("a");
    file("b", 0x1 | 0x2); // read-only and hidden
    file("c");
    folder("t", 0x2);
    file("t/inner");
    folder("u");
    FileListBox& files = *window->browser.filList.get();
    DirListBox& dirs = *window->browser.dirList.get();
    files.refresh();
    dirs.refresh();
    files.setListIndex(1);
    {
        ScopedMsgBoxResponder no([](const MsgBoxCall&) { return MsgBoxAnswer::No; });
        QTest::keyClick(&files, Qt::Key_Delete);
        EXPECT_EQ(no.calls().size(), 1u);
        EXPECT_TRUE(exists(at("b")));
    }
    ScopedMsgBoxResponder yes([](const MsgBoxCall&) { return MsgBoxAnswer::Yes; });
    QTest::keyClick(&files, Qt::Key_Delete, kUnprompted);
    EXPECT_FALSE(exists(at("b")));
    EXPECT_EQ(files.List(files.ListIndex()), "c");
    QTest::keyClick(&files, Qt::Key_Delete, kUnprompted);
    EXPECT_EQ(files.List(files.ListIndex()), "a") << "the new last row";
    EXPECT_TRUE(yes.calls().empty());

    dirs.setListIndex(0);
    ASSERT_EQ(dirs.List(0), at("t"));
    QTest::keyClick(&dirs, Qt::Key_Delete, kUnprompted);
    EXPECT_TRUE(yes.calls().empty());
    QTest::keyClick(&dirs, Qt::Key_Delete);
    ASSERT_EQ(yes.calls().size(), 1u);
    EXPECT_TRUE(yes.calls()[0].prompt.contains(QString::fromStdString(at("t"))));
    EXPECT_EQ(yes.calls()[0].buttons, kQuestion);
    EXPECT_FALSE(exists(at("t")));
    EXPECT_EQ(dirs.List(dirs.ListIndex()), at("u")) << "its place";
    dirs.setListIndex(-1);
    QTest::keyClick(&dirs, Qt::Key_Delete);
    EXPECT_EQ(yes.calls().size(), 1u);
    EXPECT_TRUE(exists(at("u")));
}

// An entry of either browser list whose folder was swapped for a link after
// it was listed is reported and left alone, and so is what the link leads to.
TEST_F(FileCommandsWindow, BrowserDeletesLeaveAPathThatNowLeadsElsewhere)
{
    for (const std::string base : {"a", "outside"}) {
        folder(base);
        folder(base + "/sub");
        file(base + "/sub/inner");
        file(base + "/x");
    }
    window->browser.dirList->setPath(at("a"));
    window->browser.filList->setPath(at("a"));
    ASSERT_EQ(::rename(at("a").c_str(), at("a.old").c_str()), 0);
    ASSERT_EQ(::symlink(at("outside").c_str(), at("a").c_str()), 0);

    const QString changedSince = QString::fromUtf8(ChangedSinceText);
    int told = 0;
    ScopedMsgBoxResponder answers([&](const MsgBoxCall& call) {
        told += call.prompt.contains(changedSince) ? 1 : 0;
        return told > 4 ? MsgBoxAnswer::Cancel
                        : call.prompt.contains(changedSince) ? MsgBoxAnswer::No : MsgBoxAnswer::Yes;
    });
    window->browser.filList->setListIndex(0);
    QTest::keyClick(window->browser.filList.get(), Qt::Key_Delete, kUnprompted);
    window->browser.dirList->setListIndex(0);
    QTest::keyClick(window->browser.dirList.get(), Qt::Key_Delete);
    EXPECT_TRUE(exists(at("outside/x")));
    EXPECT_TRUE(exists(at("outside/sub/inner")));
    EXPECT_EQ(told, 2);
}

// Copy asks for a folder (cancelled: nothing happens), copies the selected
// rows there and says so; the dialog opens next where it was left.  A
// refused copy asks to retry: No goes on to the end, which then reports no
// success.
TEST_F(FileCommandsWindow, CopyThroughTheFolderDialog)
{
    folder("to");
    addResultBox({{"f0", 0}, {"f1", 0}, {"f2", 0}, {"f3", 0}});
    ShowSearchResults(*window);
    selectRows(0, {1, 3}, 1);
    {
        ScopedFolderBrowser cancelled;
        window->bAttribute->mnuCopy->trigger();
        ASSERT_EQ(cancelled.calls().size(), 1u);
        EXPECT_EQ(cancelled.calls()[0].owner, window.get());
        EXPECT_FALSE(cancelled.calls()[0].includeFiles);
        EXPECT_EQ(messageCount(), 0);
    }
    ScopedFolderBrowser browser([&](const FolderBrowseCall&) { return at("to"); });
    window->bAttribute->mnuCopy->trigger();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(exists(at("to/f" + std::to_string(i))), i % 2 == 1) << i;
    ASSERT_EQ(messageCount(), 1);
    EXPECT_EQ(messages.calls()[0].prompt, QStringLiteral("Selected File(s) copied."));
    EXPECT_EQ(messages.calls()[0].title, QStringLiteral("Copy"));
    EXPECT_EQ(messages.calls()[0].buttons, MsgBoxStyle::Information);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Umbrix"));

    selectRows(0, {0}, 0);
    const ScopedFaultHook refuse([](FaultPoint point, std::string_view) {
        return point == FaultPoint::CopyEntry ? ENOSPC : 0;
    });
    // No, then Cancel should the question come back, so that a step retried
    // on No shows here at once rather than as a hang.
    int asked = 0;
    ScopedMsgBoxResponder refused(
        [&](const MsgBoxCall&) { return ++asked > 3 ? MsgBoxAnswer::Cancel : MsgBoxAnswer::No; });
    window->bAttribute->mnuCopy->trigger();
    ASSERT_EQ(browser.calls().size(), 2u);
    EXPECT_EQ(browser.calls()[1].startFolder, at("to"));
    EXPECT_FALSE(exists(at("to/f0")));
    ASSERT_EQ(refused.calls().size(), 2u) << "the retry question once, then the end";
    EXPECT_TRUE(refused.calls()[0].prompt.contains(QString::fromStdString(at("f0"))));
    EXPECT_NE(refused.calls()[1].prompt, QStringLiteral("Selected File(s) copied."));
    EXPECT_EQ(refused.calls()[1].buttons, MsgBoxStyle::Exclamation);
}

// Qt's own dialog, answered as a person would: it asks for folders only,
// with the caption and the prompt, and returns the folder's bytes.
TEST_F(FileCommandsWindow, TheRealFolderDialog)
{
    folder("pick");
    for (const bool accept : {true, false}) {
        bool checked = false;
        QTimer::singleShot(0, [&] {
            QFileDialog* dialog = nullptr;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<QFileDialog*>(w); d && d->isVisible())
                    dialog = d;
            ASSERT_NE(dialog, nullptr);
            checked = true;
            EXPECT_TRUE(dialog->isModal());
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Browse Directory"));
            EXPECT_EQ(dialog->labelText(QFileDialog::LookIn), QStringLiteral("Copy here"));
            EXPECT_TRUE(dialog->fileMode() == QFileDialog::Directory &&
                        dialog->testOption(QFileDialog::ShowDirsOnly));
            if (!accept)
                return dialog->reject();
            dialog->setDirectory(QString::fromStdString(at("pick")));
            dialog->selectFile(QString::fromStdString(at("pick")));
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open)->click();
        });
        const std::string chosen =
            BrowseDirectory(window.get(), QStringLiteral("Copy here"), false, tree.path(), false);
        EXPECT_TRUE(checked);
        EXPECT_EQ(chosen, accept ? at("pick") : std::string());
    }
}

} // namespace
} // namespace umbrix
