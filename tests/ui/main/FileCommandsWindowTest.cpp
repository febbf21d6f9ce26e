#include "platform/Error.h"
#include "platform/FaultInjection.h"
#include "support/NtfsVolume.h" // readTextFile
#include "ui/main/MainWindowFixture.h"
#include "ui/services/FolderBrowser.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cerrno>

namespace umbrix {
namespace {

using platform::FaultPoint;
using platform::ScopedFaultHook;

// The keys' question tells of the delete that does not ask.
const QString kUnpromptedNote = QStringLiteral("CTRL+SHIFT+CANC");
constexpr int kQuestion = MsgBoxStyle::YesNo + MsgBoxStyle::Question + MsgBoxStyle::DefaultButton2;

class FileCommandsWindow : public test::MainWindowFixture {
protected:
    // Lists the files `names` below the tree in result box 0 and shows them;
    // `selected` rows are selected, the first of them current.
    void results(const std::vector<std::string>& names, const std::vector<int>& selected)
    {
        std::vector<std::pair<std::string, uint32_t>> entries;
        for (const std::string& name : names)
            entries.emplace_back(name, 0);
        addResultBox(entries);
        ShowSearchResults(*window);
        selectRows(0, selected, selected.front());
        window->lstFoundFiles.setCurrentIndex(0);
        window->SourceList = SourceKind::Listbox;
    }
    static std::vector<std::string> numbered(int n)
    {
        std::vector<std::string> names;
        for (int i = 0; i < n; ++i)
            names.push_back("f" + std::to_string(i));
        return names;
    }
    ResultListBox& box() { return window->lstFoundFiles.box(0); }
    std::vector<std::string> rows()
    {
        std::vector<std::string> names;
        for (int i = 0; i < box().ListCount(); ++i)
            names.push_back(box().ListPath(i).substr(tree.path().size() + 1));
        return names;
    }
};

TEST_F(FileCommandsWindow, ResultListDeleteKeys)
{
    results({"a", "b", "c", "d"}, {1, 3});
    window->SourceList = SourceKind::None;

    struct Case {
        Qt::KeyboardModifiers modifiers;
        int answer;
        bool asked;
        std::vector<std::string> left;
    } cases[] = {
        {Qt::ControlModifier, MsgBoxAnswer::Yes, false, {"a", "b", "c", "d"}},
        {Qt::ShiftModifier, MsgBoxAnswer::Yes, false, {"a", "b", "c", "d"}},
        {Qt::NoModifier, MsgBoxAnswer::No, true, {"a", "b", "c", "d"}},
        {Qt::ControlModifier | Qt::ShiftModifier, MsgBoxAnswer::OK, false, {"a", "c"}},
    };
    for (const Case& c : cases) {
        ScopedMsgBoxResponder answers([&](const MsgBoxCall&) { return c.answer; });
        QTest::keyClick(&box(), Qt::Key_Delete, c.modifiers);
        EXPECT_EQ(rows(), c.left);
        ASSERT_EQ(answers.calls().size(), c.asked ? 1u : 0u);
        if (c.asked) {
            EXPECT_TRUE(answers.calls()[0].prompt.contains(kUnpromptedNote));
            EXPECT_EQ(answers.calls()[0].title, QStringLiteral("Delete"));
            EXPECT_EQ(answers.calls()[0].buttons, kQuestion);
        }
    }
    EXPECT_FALSE(test::exists(at("b")));
    EXPECT_FALSE(test::exists(at("d")));
    EXPECT_TRUE(test::exists(at("a")));
    EXPECT_TRUE(box().isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Umbrix"));
    EXPECT_EQ(window->SourceList, SourceKind::Listbox);
}

TEST_F(FileCommandsWindow, FiveOfTenRowsThroughTheMenuHideTheBoxWhileTheyGo)
{
    results(numbered(10), {0, 2, 4, 6, 8});

    bool hiddenMeanwhile = false;
    const ScopedFaultHook watch([&](FaultPoint point, std::string_view) {
        if (point == FaultPoint::Unlink && !box().isVisible())
            hiddenMeanwhile = true;
        return 0;
    });
    ScopedMsgBoxResponder answers([](const MsgBoxCall&) { return MsgBoxAnswer::Yes; });
    window->bAttribute->mnuDelete->trigger();
    ASSERT_EQ(answers.calls().size(), 1u);
    EXPECT_EQ(answers.calls()[0].title, QStringLiteral("Delete"));
    EXPECT_EQ(state.MsgAnswer, MsgBoxAnswer::Yes);
    EXPECT_EQ(rows(), (std::vector<std::string>{"f1", "f3", "f5", "f7", "f9"}));
    EXPECT_TRUE(hiddenMeanwhile);
    EXPECT_TRUE(box().isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Umbrix"));
    EXPECT_FALSE(window->CancelAction());
}

TEST_F(FileCommandsWindow, FileListDeleteKeysKeepThePlace)
{
    file("a");
    file("b", 0x1 | 0x2); // read-only and hidden
    file("c");
    window->browser.filList->refresh();
    window->browser.filList->setListIndex(1);

    {
        ScopedMsgBoxResponder answers([](const MsgBoxCall&) { return MsgBoxAnswer::No; });
        QTest::keyClick(window->browser.filList.get(), Qt::Key_Delete);
        ASSERT_EQ(answers.calls().size(), 1u);
        EXPECT_TRUE(answers.calls()[0].prompt.contains(kUnpromptedNote));
        EXPECT_TRUE(test::exists(at("b")));
    }
    ScopedMsgBoxResponder answers;
    QTest::keyClick(window->browser.filList.get(), Qt::Key_Delete,
                    Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(test::exists(at("b")));
    EXPECT_EQ(window->browser.filList->ListIndex(), 1);
    EXPECT_EQ(window->browser.filList->List(1), "c");
    // The last one goes: the new last is highlighted.
    QTest::keyClick(window->browser.filList.get(), Qt::Key_Delete,
                    Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(test::exists(at("c")));
    EXPECT_EQ(window->browser.filList->ListIndex(), 0);
    EXPECT_TRUE(answers.calls().empty());
    EXPECT_EQ(window->SourceList, SourceKind::Filebox);
}

// The directory list's key asks about the highlighted folder by name and
// deletes it on Yes; it has no unprompted form, and on the open folder itself
// or in a list with nothing highlighted it does nothing.  (What a tree or a
// link delete leaves is the delete engine's to show.)
TEST_F(FileCommandsWindow, TheDirectoryListDeleteKeyAsksAboutTheHighlightedFolder)
{
    folder("t", 0x2);
    file("t/inner");
    folder("u");
    window->browser.dirList->refresh();
    for (int i = 0; i < window->browser.dirList->ListCount(); ++i)
        if (window->browser.dirList->List(i) == at("t"))
            window->browser.dirList->setListIndex(i);
    ScopedMsgBoxResponder answers([](const MsgBoxCall&) { return MsgBoxAnswer::Yes; });
    QTest::keyClick(window->browser.dirList.get(), Qt::Key_Delete,
                    Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(test::exists(at("t")));
    QTest::keyClick(window->browser.dirList.get(), Qt::Key_Delete);
    ASSERT_EQ(answers.calls().size(), 1u);
    EXPECT_TRUE(answers.calls()[0].prompt.contains(QString::fromStdString(at("t"))));
    EXPECT_EQ(answers.calls()[0].buttons, kQuestion);
    EXPECT_FALSE(test::exists(at("t")));
    EXPECT_EQ(window->browser.dirList->List(window->browser.dirList->ListIndex()), at("u"))
        << "its place";
    window->browser.dirList->setListIndex(-1);
    QTest::keyClick(window->browser.dirList.get(), Qt::Key_Delete);
    EXPECT_EQ(answers.calls().size(), 1u);
    EXPECT_TRUE(test::exists(at("u")));
}

// An entry of either browser list whose folder was swapped for a link after
// it was listed is reported and left alone, and so is what the link leads to.
TEST_F(FileCommandsWindow, BrowserDeletesLeaveAPathThatNowLeadsElsewhere)
{
    for (const char* base : {"a", "outside"}) {
        folder(base);
        folder(std::string(base) + "/sub");
        file(std::string(base) + "/sub/inner");
        file(std::string(base) + "/x");
    }
    window->browser.dirList->setPath(at("a"));
    window->browser.filList->setPath(at("a"));
    ASSERT_EQ(window->browser.dirList->List(0), at("a/sub"));
    ASSERT_EQ(window->browser.filList->List(0), "x");
    ASSERT_EQ(::rename(at("a").c_str(), at("a.old").c_str()), 0);
    ASSERT_EQ(::symlink(at("outside").c_str(), at("a").c_str()), 0);

    const QString changedSince = QString::fromUtf8(ChangedSinceText);
    ScopedMsgBoxResponder answers([&](const MsgBoxCall& call) {
        return call.prompt.contains(changedSince) ? MsgBoxAnswer::No : MsgBoxAnswer::Yes;
    });
    window->browser.filList->setListIndex(0);
    QTest::keyClick(window->browser.filList.get(), Qt::Key_Delete,
                    Qt::ControlModifier | Qt::ShiftModifier);
    window->browser.dirList->setListIndex(0);
    QTest::keyClick(window->browser.dirList.get(), Qt::Key_Delete);
    EXPECT_TRUE(test::exists(at("outside/x")));
    EXPECT_TRUE(test::exists(at("outside/sub/inner")));
    int told = 0;
    for (const MsgBoxCall& call : answers.calls())
        told += call.prompt.contains(changedSince) ? 1 : 0;
    EXPECT_EQ(told, 2);
}

// After a delete the window shows what is true now: the rows below a
// deleted folder go with it, from every box, and the counter, the panel, the
// path line and, after Reset, the browser's lists follow.
TEST_F(FileCommandsWindow, AfterADeleteTheWindowShowsTheDiskAsItIsNow)
{
    folder("t");
    addResultBox({{"a", 0}, {"b", 0x1}, {"t", 0}, {"t/x", 0}, {"t/y", 0}});
    addResultBox({{"t/z", 0}, {"u", 0}});
    ShowSearchResults(*window);
    ASSERT_EQ(window->lblCount->text(), QStringLiteral("7"));
    ASSERT_GE(fileRow("a"), 0);
    selectRows(0, {2}, 2);
    window->lstFoundFiles.setCurrentIndex(0);
    QTest::keyClick(&box(), Qt::Key_Delete, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(test::exists(at("t")));
    EXPECT_EQ(rows(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(resultRows().back(), at("u")) << "box 1 keeps only what is still there";
    EXPECT_EQ(resultRows().size(), 3u);
    EXPECT_EQ(window->lblCount->text(), QStringLiteral("3"));
    EXPECT_EQ(box().ListIndex(), 1);
    EXPECT_EQ(window->txtTip->text().toStdString(), at("b"));
    EXPECT_EQ(panel(), (std::vector<int>{1, 0, 0, 0, 0})) << "b is read-only";

    selectRows(0, {0}, 0);
    QTest::keyClick(&box(), Qt::Key_Delete, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(rows(), std::vector<std::string>{"b"});
    EXPECT_TRUE(messages.calls().empty());
    window->cmdSearch->click();
    ASSERT_EQ(window->view(), FrmSeek::View::Browser);
    EXPECT_EQ(fileRow("a"), -1);
    EXPECT_GE(fileRow("b"), 0);
}

TEST_F(FileCommandsWindow, CopyThroughTheFolderDialog)
{
    folder("to");
    results(numbered(10), {2, 4, 9});

    // Cancelled: nothing happens.
    {
        ScopedFolderBrowser browser;
        ScopedMsgBoxResponder answers;
        window->bAttribute->mnuCopy->trigger();
        ASSERT_EQ(browser.calls().size(), 1u);
        EXPECT_EQ(browser.calls()[0].owner, window.get());
        EXPECT_FALSE(browser.calls()[0].includeFiles);
        EXPECT_TRUE(answers.calls().empty());
    }
    ScopedFolderBrowser browser([&](const FolderBrowseCall&) { return at("to"); });
    ScopedMsgBoxResponder answers;
    window->bAttribute->mnuCopy->trigger();
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(test::exists(at("to/f" + std::to_string(i))), i == 2 || i == 4 || i == 9) << i;
    ASSERT_EQ(answers.calls().size(), 1u);
    EXPECT_EQ(answers.calls()[0].prompt, QStringLiteral("Selected File(s) copied."));
    EXPECT_EQ(answers.calls()[0].title, QStringLiteral("Copy"));
    EXPECT_EQ(answers.calls()[0].buttons, MsgBoxStyle::Information);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Umbrix"));

    // The dialog opens next at the folder chosen last.
    window->bAttribute->mnuCopy->trigger();
    ASSERT_EQ(browser.calls().size(), 2u);
    EXPECT_EQ(browser.calls()[1].startFolder, at("to"));

    // From the file list, its highlighted file; a skipped file is not
    // reported as copied.
    window->browser.filList->refresh();
    window->browser.filList->setListIndex(0);
    ASSERT_EQ(window->browser.filList->List(0), "f0");
    window->SourceList = SourceKind::Filebox;
    const ScopedFaultHook refuse([](FaultPoint point, std::string_view) {
        return point == FaultPoint::CopyEntry ? ENOSPC : 0;
    });
    ScopedMsgBoxResponder refused([](const MsgBoxCall&) { return MsgBoxAnswer::No; });
    window->bAttribute->mnuCopy->trigger();
    EXPECT_FALSE(test::exists(at("to/f0")));
    ASSERT_EQ(refused.calls().size(), 2u) << "the retry question, then the end";
    EXPECT_NE(refused.calls()[1].prompt, QStringLiteral("Selected File(s) copied."));
    EXPECT_EQ(refused.calls()[1].buttons, MsgBoxStyle::Exclamation);
}

// Qt's own dialog, answered as a person would: it asks for folders only,
// with the caption and the prompt, and returns the folder's bytes.
TEST_F(FileCommandsWindow, TheRealFolderDialog)
{
    folder("pick");
    for (bool accept : {true, false}) {
        QString title;
        QString prompt;
        bool foldersOnly = false;
        QTimer::singleShot(0, [&] {
            QFileDialog* dialog = nullptr;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<QFileDialog*>(w); d && d->isVisible())
                    dialog = d;
            ASSERT_NE(dialog, nullptr);
            EXPECT_TRUE(dialog->isModal());
            title = dialog->windowTitle();
            prompt = dialog->labelText(QFileDialog::LookIn);
            foldersOnly = dialog->fileMode() == QFileDialog::Directory &&
                          dialog->testOption(QFileDialog::ShowDirsOnly);
            if (!accept) {
                dialog->reject();
                return;
            }
            dialog->setDirectory(QString::fromStdString(at("pick")));
            dialog->selectFile(QString::fromStdString(at("pick")));
            auto* buttons = dialog->findChild<QDialogButtonBox*>();
            ASSERT_NE(buttons, nullptr);
            buttons->button(QDialogButtonBox::Open)->click();
        });
        const std::string chosen =
            BrowseDirectory(window.get(), QStringLiteral("Copy here"), false, tree.path(), false);
        EXPECT_EQ(title, QStringLiteral("Browse Directory"));
        EXPECT_EQ(prompt, QStringLiteral("Copy here"));
        EXPECT_TRUE(foldersOnly);
        EXPECT_EQ(chosen, accept ? at("pick") : std::string());
    }
}

} // namespace
} // namespace umbrix
