#include "platform/AttributeStore.h"
#include "ui/controls/DirListBox.h"
#include "ui/controls/FileListBox.h"
#include "ui/main/ListBoxOperations.h"
#include "ui/main/LogViewer.h"
#include "ui/main/MainWindowFixture.h"
#include "ui/main/SearchCommand.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QItemSelectionModel>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <cstdio>
#include <unistd.h>

namespace umbrix {
namespace {

namespace Attr = platform::Attr;
using Rows = std::vector<int>;

// The results view filled directly, as the search host fills it, and used
// with the mouse and the keys as a person uses it.
class ResultList : public test::MainWindowFixture {
protected:
    // Result boxes holding `counts[b]` rows each: files r<b>-<nnn>, the even
    // ones hidden, the odd ones system.
    void show(std::initializer_list<int> counts)
    {
        if (window->view() != FrmSeek::View::Browser)
            LeaveSearchState(*window);
        int b = 0;
        for (int count : counts) {
            std::vector<std::pair<std::string, uint32_t>> entries;
            for (int row = 0; row < count; ++row) {
                char name[32];
                std::snprintf(name, sizeof name, "r%d-%03d", b, row);
                entries.emplace_back(name, row % 2 ? Attr::System : Attr::Hidden);
            }
            addResultBox(entries);
            ++b;
        }
        ShowSearchResults(*window);
    }
    ResultListBox& list(int b = 0) { return window->lstFoundFiles.box(b); }
    QPoint pointOf(int b, int row)
    {
        // The rows a person sees: those added since the view last took them
        // in would come a moment later.
        list(b).resultModel().commit();
        if (row >= 0)
            return list(b).visualRect(list(b).model()->index(row, 0)).center();
        const int last = list(b).ListCount() - 1;
        return pointOf(b, last) + QPoint(0, 3 * list(b).itemHeight());
    }
    // A press and release; row -1 is below the last row.
    void click(int b, int row, Qt::MouseButton button, Qt::KeyboardModifiers keys = {})
    {
        QTest::mouseClick(list(b).viewport(), button, keys, pointOf(b, row));
    }
    Rows selected(int b = 0)
    {
        Rows rows;
        for (int row = 0; row < list(b).ListCount(); ++row)
            if (list(b).Selected(row))
                rows.push_back(row);
        return rows;
    }
    void closeMenu() { window->bAttribute->hide(); }
};

TEST_F(ResultList, ARightClickAddsToASeveralRowSelectionAndMovesASingleOne)
{
    const struct {
        int rows;
        Rows before;
        int row; // -1: below the last row
        Rows after;
        bool selectAll, unselectAll;
    } cases[] = {
        {5, {0, 1, 2}, 4, {0, 1, 2, 4}, true, true},
        {5, {0, 1, 2, 3}, 4, {0, 1, 2, 3, 4}, false, true},
        {5, {1}, 3, {3}, true, true},
        {1, {0}, 0, {0}, false, true},
        {5, {2}, -1, {}, false, false},
        {5, {1, 2}, -1, {1, 2}, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.rows << " rows, row " << c.row);
        show({c.rows});
        selectRows(0, c.before, c.before.front());
        window->SourceList = SourceKind::None;
        click(0, c.row, Qt::RightButton);
        EXPECT_EQ(selected(), c.after);
        ASSERT_EQ(menuOpen(), c.row >= 0);
        if (c.row < 0)
            continue;
        EXPECT_EQ(list().ListIndex(), c.row);
        EXPECT_EQ(window->SourceList, SourceKind::Listbox);
        EXPECT_EQ(window->bAttribute->mnuSelectAll->isEnabled(), c.selectAll);
        EXPECT_EQ(window->bAttribute->mnuUnselectAll->isEnabled(), c.unselectAll);
        for (QAction* item :
             {window->bAttribute->mnuSelectAll, window->bAttribute->mnuUnselectAll,
              window->bAttribute->s3, window->bAttribute->mnuCopy, window->bAttribute->mnuDelete})
            EXPECT_TRUE(item->isVisible()) << item->text().toStdString();
        // The panel shows the row clicked.
        EXPECT_EQ(box(1), c.row % 2 ? 0 : 1);
        EXPECT_EQ(box(2), c.row % 2 ? 1 : 0);
        closeMenu();
    }
    EXPECT_TRUE(messages.calls().empty());
}

TEST_F(ResultList, MouseSelectionFillsThePanelAndThePathLineCtrlRightOnlyThePanel)
{
    show({4});
    click(0, 2, Qt::LeftButton);
    EXPECT_EQ(selected(), Rows{2});
    EXPECT_EQ((Rows{box(1), box(2)}), (Rows{1, 0}));
    EXPECT_EQ(window->txtTip->text().toStdString(), at("r0-002"));

    click(0, 1, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(selected(), (Rows{1, 2}));
    EXPECT_EQ((Rows{box(1), box(2)}), (Rows{2, 2}));

    // A plain press on a row of a selection selects it alone at once.
    click(0, 1, Qt::LeftButton);
    EXPECT_EQ(selected(), Rows{1});
    EXPECT_EQ((Rows{box(1), box(2)}), (Rows{0, 1}));
    EXPECT_EQ(window->txtTip->text().toStdString(), at("r0-001"));

    // Ctrl with the right button: the selection's summary, and no menu.
    click(0, 3, Qt::LeftButton, Qt::ControlModifier);
    window->fraAttrib->ClearAttributeBoxes();
    click(0, 2, Qt::RightButton, Qt::ControlModifier);
    EXPECT_FALSE(menuOpen());
    EXPECT_EQ(selected(), (Rows{1, 3}));
    EXPECT_EQ((Rows{box(1), box(2)}), (Rows{0, 1}));
    EXPECT_FALSE(state.Busy);
}

TEST_F(ResultList, NavigationKeysLeaveExactlyOneRowSelected)
{
    show({30});
    window->lstFoundFiles.PageSize = 5;
    const struct {
        Rows before;
        int current;
        Qt::Key key;
        int after;
    } cases[] = {
        {{3, 7, 9}, 7, Qt::Key_Down, 8},  {{29}, 29, Qt::Key_Down, 29},
        {{2}, 2, Qt::Key_PageUp, 0},      {{0, 1}, 0, Qt::Key_Up, 0},
        {{12}, 12, Qt::Key_Up, 11},       {{10, 11}, 11, Qt::Key_PageDown, 16},
        {{27}, 27, Qt::Key_PageDown, 29}, {{}, -1, Qt::Key_Down, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "from " << c.current << " key " << c.key);
        selectRows(0, c.before, c.current);
        QTest::keyClick(&list(), c.key);
        EXPECT_EQ(selected(), Rows{c.after});
        EXPECT_EQ(list().ListIndex(), c.after);
        EXPECT_EQ(window->txtTip->text(), list().List(c.after));
        EXPECT_EQ(box(1), c.after % 2 ? 0 : 1);
    }
    show({0});
    QTest::keyClick(&list(), Qt::Key_Down);
    EXPECT_EQ(list().ListIndex(), -1);
    EXPECT_TRUE(messages.calls().empty());
}

TEST_F(ResultList, PageDownFromRow3SelectsRow19AndScrollsItToTheTopOnlyFarBelowIt)
{
    show({100});
    // Tall enough for row 19 to be in sight from the top.
    window->lstFoundFiles[0].setHeight(static_cast<float>(25 * list().itemHeight()) *
                                       window->scale().y);
    ASSERT_GE(ListVisibleItems(list(), static_cast<int32_t>(window->lstFoundFiles[0].Height())),
              21);
    for (const auto& [top, topAfter] : {std::pair{0, 19}, std::pair{5, 5}}) {
        SCOPED_TRACE(top);
        window->lstFoundFiles.PageSize = 16;
        selectRows(0, {3}, 3);
        list().setTopIndex(top);
        ASSERT_EQ(list().TopIndex(), top);
        QTest::keyClick(&list(), Qt::Key_PageDown);
        EXPECT_EQ(selected(), Rows{19});
        EXPECT_EQ(list().TopIndex(), topAfter);
    }
}

TEST_F(ResultList, TheRowUnderThePointerIsWorkedOutFromTheRowHeight)
{
    show({200});
    list().setTopIndex(37);
    ResultListBox& box = list();
    int rows = 0;
    for (int y = 0; y < box.viewport()->height(); ++y) {
        const QModelIndex under = box.indexAt(QPoint(5, y));
        if (!under.isValid())
            continue;
        ++rows;
        ASSERT_EQ(ListItemFromY(box, static_cast<float>(mouseTwips(box, QPoint(5, y)).y()),
                                box.TopIndex()),
                  under.row())
            << "y " << y;
    }
    EXPECT_GT(rows, 5 * box.itemHeight());
}

TEST_F(ResultList, AClickOnAVanishedEntryLogsItsFolderAndName)
{
    show({3});
    ASSERT_EQ(std::remove(at("r0-001").c_str()), 0);
    click(0, 1, Qt::LeftButton);
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_TRUE(messages.calls()[0].prompt.startsWith(
        QStringLiteral("Unable to access to the file or directory")));
    EXPECT_EQ(window->txtTip->text().toStdString(), at("r0-001"));
    ASSERT_NE(logViewer(), nullptr);
    EXPECT_EQ(logViewer()->text().toStdString(), "Path: \"" + tree.path() +
                                                     "/\"\nFile: \"r0-001\"\n"
                                                     "Error: No such file or directory (53)\n\n");
    // Logging is off: the entry waits in the log, out of sight.
    EXPECT_FALSE(logViewer()->isVisible());
}

TEST_F(ResultList, WithTwoBoxesTheMenuCommandsActOnTheBoxLastPressed)
{
    show({3, 4});
    selectRows(0, {1}, 1);
    click(1, 2, Qt::LeftButton);
    EXPECT_EQ(window->lstFoundFiles.CurrentIndex(), 1);
    click(1, 0, Qt::RightButton);
    ASSERT_TRUE(menuOpen());
    QSignalSpy changes(list(1).selectionModel(), &QItemSelectionModel::selectionChanged);
    window->bAttribute->mnuSelectAll->trigger();
    EXPECT_EQ(changes.count(), 1) << "every row in one step";
    EXPECT_EQ(selected(1), (Rows{0, 1, 2, 3}));
    EXPECT_EQ(selected(0), Rows{1});
    EXPECT_EQ((Rows{box(1), box(2)}), (Rows{2, 2}));

    window->bAttribute->mnuUnselectAll->trigger();
    EXPECT_EQ(selected(1), Rows{});
    EXPECT_EQ(selected(0), Rows{1});
    EXPECT_EQ(box(1), 2) << "the panel keeps what it showed";
    closeMenu();

    window->activateWindow();
    list(0).setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->lstFoundFiles.CurrentIndex() == 0; }));
}

// A right click acts on the entry under the pointer, whatever was
// highlighted before: it is highlighted first, and the menu is for it.
TEST_F(ResultList, EachListsMenuIsForTheEntryUnderThePointer)
{
    folder("sub", Attr::System);
    folder("gone");
    file("a.txt", Attr::Hidden);
    file("b.txt");
    file("vanishing.txt");
    window->browser.dirList->refresh();
    window->browser.filList->refresh();
    QCursor::setPos(400, 200);
    DirListBox& dirs = *window->browser.dirList.get();
    FileListBox& files = *window->browser.filList.get();
    // Right click on the row whose bytes end in `entry` ("" : below the rows).
    const auto rightClick = [](QListView& view, const std::string& entry,
                               Qt::KeyboardModifiers keys = {}) {
        QPoint at(5, view.viewport()->height() - 2);
        for (int row = 0; row < view.model()->rowCount(); ++row) {
            const QModelIndex index = view.model()->index(row, 0);
            if (!entry.empty() && index.data(Qt::UserRole).toByteArray().endsWith(entry.c_str()))
                at = view.visualRect(index).center();
        }
        QTest::mouseClick(view.viewport(), Qt::RightButton, keys, at);
    };

    files.setListIndex(fileRow("a.txt"));
    rightClick(files, "b.txt", Qt::ControlModifier);
    EXPECT_FALSE(menuOpen());
    rightClick(files, "");
    EXPECT_FALSE(menuOpen()) << "beside the entries";
    files.setListIndex(fileRow("b.txt"));
    rightClick(files, "a.txt");
    ASSERT_TRUE(menuOpen());
    EXPECT_EQ(files.ListIndex(), fileRow("a.txt"));
    EXPECT_EQ(window->SourceList, SourceKind::Filebox);
    EXPECT_TRUE(window->bAttribute->mnuHidden->isEnabled()) << "a.txt's attributes";
    EXPECT_TRUE(window->bAttribute->mnuCopy->isVisible() && window->bAttribute->s3->isVisible());
    EXPECT_FALSE(window->bAttribute->mnuSelectAll->isVisible() ||
                 window->bAttribute->mnuUnselectAll->isVisible());
    closeMenu();
    // A file that cannot be read: its message, and no menu.
    ASSERT_EQ(std::remove(at("vanishing.txt").c_str()), 0);
    rightClick(files, "vanishing.txt");
    EXPECT_FALSE(menuOpen());
    EXPECT_EQ(messages.calls().size(), 1u);

    // A directory that cannot be read still gets its menu, over an empty panel.
    window->fraAttrib->setValue(1, CheckValue::Checked);
    ASSERT_EQ(::rmdir(at("gone").c_str()), 0);
    rightClick(dirs, "/gone");
    EXPECT_TRUE(menuOpen());
    EXPECT_EQ(dirs.List(dirs.ListIndex()), at("gone"));
    EXPECT_EQ(box(1), 0);
    closeMenu();

    // The open directory: highlighted, and no menu.
    state.DirChanged = 0;
    rightClick(dirs, tree.path());
    EXPECT_FALSE(menuOpen());
    EXPECT_EQ(dirs.ListIndex(), -1);
    rightClick(dirs, "/sub");
    ASSERT_TRUE(menuOpen());
    EXPECT_EQ(state.DirChanged, 1) << "highlighted, not opened";
    EXPECT_EQ(dirs.Path(), tree.path());
    EXPECT_EQ(window->SourceList, SourceKind::Dirbox);
    EXPECT_TRUE(window->bAttribute->mnuDir->isChecked());
    EXPECT_TRUE(window->bAttribute->mnuSystem->isEnabled());
    for (QAction* item : {window->bAttribute->mnuSelectAll, window->bAttribute->mnuUnselectAll,
                          window->bAttribute->s3, window->bAttribute->mnuCopy})
        EXPECT_FALSE(item->isVisible()) << item->text().toStdString();
    EXPECT_TRUE(window->bAttribute->mnuDelete->isVisible());
    // Its right edge at the pointer.
    EXPECT_EQ(window->bAttribute->geometry().right() + 1, 400);
    EXPECT_EQ(window->bAttribute->geometry().top(), 200);
    closeMenu();

    // The menu key of the result list adds its own items to what the last
    // menu had: "Copy..." stays out after the directory list's.
    show({2});
    selectRows(0, {0}, 0);
    QTest::keyClick(&list(), Qt::Key_Menu);
    ASSERT_TRUE(menuOpen());
    EXPECT_EQ(window->SourceList, SourceKind::Listbox);
    EXPECT_EQ(selected(), Rows{0});
    EXPECT_TRUE(window->bAttribute->mnuSelectAll->isEnabled() &&
                window->bAttribute->mnuUnselectAll->isEnabled());
    EXPECT_FALSE(window->bAttribute->mnuCopy->isVisible());
    closeMenu();
}

TEST_F(ResultList, EnterPressesTheFocusedCommandButtonOnce)
{
    show({1});
    window->activateWindow();
    window->cmdSearch->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->cmdSearch->hasFocus(); }));
    QKeyEvent held(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, {}, true);
    QApplication::sendEvent(window->cmdSearch.get(), &held);
    EXPECT_EQ(window->view(), FrmSeek::View::Results);
    QTest::keyClick(window->cmdSearch.get(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(window->view(), FrmSeek::View::Browser);
}

} // namespace
} // namespace umbrix
