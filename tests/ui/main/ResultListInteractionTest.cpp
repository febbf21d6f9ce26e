#include "platform/AttributeStore.h"
#include "ui/main/ListBoxOperations.h"
#include "ui/main/MainWindowFixture.h"

#include <QAction>
#include <QCursor>
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QTest>
#include <cstdio>

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
    // A press and release on a row; row -1 is below the last row.
    void click(int b, int row, Qt::MouseButton button, Qt::KeyboardModifiers keys = {})
    {
        list(b).resultModel().commit();
        const int last = list(b).ListCount() - 1;
        QPoint at = list(b).visualRect(list(b).model()->index(row < 0 ? last : row, 0)).center();
        if (row < 0)
            at += QPoint(0, 3 * list(b).itemHeight());
        QTest::mouseClick(list(b).viewport(), button, keys, at);
    }
    Rows selected(int b = 0)
    {
        Rows rows;
        for (int row = 0; row < list(b).ListCount(); ++row)
            if (list(b).Selected(row))
                rows.push_back(row);
        return rows;
    }
    // The hidden and system boxes of the panel.
    Rows hiddenSystem() const { return {box(1), box(2)}; }
};

// A right click adds its row to a selection of several rows and moves a
// single one; below the rows it changes nothing.  The menu then offers to
// select what is not yet selected and to unselect what is.
TEST_F(ResultList, ARightClickAddsToASeveralRowSelectionAndMovesASingleOne)
{
    const struct {
        int rows;
        Rows before;
        int row; // -1: below the last row
        Rows after;
        bool selectAll, unselectAll;
    } cases[] = {
        {5, {0, 1, 2}, 4, {0, 1, 2, 4}, true, true}, {5, {0, 1, 2, 3}, 4, {0, 1, 2, 3, 4}, false, true},
        {5, {1}, 3, {3}, true, true},                {1, {0}, 0, {0}, false, true},
        {5, {2}, -1, {}, false, false},              {5, {1, 2}, -1, {1, 2}, false, false},
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
        EXPECT_TRUE(window->bAttribute->mnuCopy->isVisible());
        EXPECT_EQ(hiddenSystem(), (c.row % 2 ? Rows{0, 1} : Rows{1, 0})) << "the row clicked";
        window->bAttribute->hide();
    }
    EXPECT_EQ(messageCount(), 0);
}

// The panel sums the selected rows only: one row checks its boxes, two
// that differ gray them; Ctrl with the right button shows the selection's
// summary without a menu.
TEST_F(ResultList, MouseSelectionFillsThePanelAndThePathLine)
{
    show({4});
    click(0, 2, Qt::LeftButton);
    EXPECT_EQ(selected(), Rows{2});
    EXPECT_EQ(hiddenSystem(), (Rows{1, 0}));
    EXPECT_EQ(window->txtTip->text().toStdString(), at("r0-002"));
    click(0, 1, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(selected(), (Rows{1, 2}));
    EXPECT_EQ(hiddenSystem(), (Rows{2, 2}));
    // A plain press on a row of a selection selects it alone at once.
    click(0, 1, Qt::LeftButton);
    EXPECT_EQ(selected(), Rows{1});
    EXPECT_EQ(hiddenSystem(), (Rows{0, 1}));
    EXPECT_EQ(window->txtTip->text().toStdString(), at("r0-001"));

    click(0, 3, Qt::LeftButton, Qt::ControlModifier);
    window->fraAttrib->ClearAttributeBoxes();
    click(0, 2, Qt::RightButton, Qt::ControlModifier);
    EXPECT_FALSE(menuOpen());
    EXPECT_EQ(selected(), (Rows{1, 3}));
    EXPECT_EQ(hiddenSystem(), (Rows{0, 1})) << "rows 1 and 3, both system, row 2 left out";
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
        {{3, 7, 9}, 7, Qt::Key_Down, 8},      {{29}, 29, Qt::Key_Down, 29},
        {{10, 11}, 11, Qt::Key_PageDown, 16}, {{2}, 2, Qt::Key_PageUp, 0},
        {{}, -1, Qt::Key_Down, 0},
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
}

// The menu's row is worked out from the row height, not asked of the view:
// it must be the row under the pointer at every pixel.
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
        const float twipsY = static_cast<float>(mouseTwips(box, QPoint(5, y)).y());
        ASSERT_EQ(ListItemFromY(box, twipsY, box.TopIndex()), under.row()) << "y " << y;
    }
    EXPECT_GT(rows, 5 * box.itemHeight());
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
    EXPECT_EQ(hiddenSystem(), (Rows{2, 2}));
    window->bAttribute->mnuUnselectAll->trigger();
    EXPECT_EQ(selected(1), Rows{});
    window->bAttribute->hide();
}

// A right click on a browser list acts on the entry under the pointer,
// whatever was highlighted before; the menu shows only what applies there.
TEST_F(ResultList, EachBrowserListsMenuIsForTheEntryUnderThePointer)
{
    folder("sub", Attr::System);
    folder("gone");
    file("a.txt", Attr::Hidden);
    file("b.txt");
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
    auto& menu = *window->bAttribute;

    rightClick(files, "b.txt", Qt::ControlModifier);
    rightClick(files, "");
    EXPECT_FALSE(menuOpen()) << "with Ctrl, or beside the entries";
    files.setListIndex(fileRow("b.txt"));
    rightClick(files, "a.txt");
    ASSERT_TRUE(menuOpen());
    EXPECT_EQ(files.ListIndex(), fileRow("a.txt"));
    EXPECT_EQ(window->SourceList, SourceKind::Filebox);
    EXPECT_TRUE(menu.mnuHidden->isEnabled()) << "a.txt's attributes";
    EXPECT_TRUE(menu.mnuCopy->isVisible() && !menu.mnuSelectAll->isVisible());
    menu.hide();

    // A folder that cannot be read is reported and still gets its menu, over
    // an empty panel.
    window->fraAttrib->setValue(1, CheckValue::Checked);
    ASSERT_EQ(::rmdir(at("gone").c_str()), 0);
    rightClick(dirs, "/gone");
    EXPECT_TRUE(menuOpen());
    EXPECT_EQ(box(1), 0);
    menu.hide();
    // The open folder: no menu.  A subfolder: highlighted, not opened, and
    // the menu's right edge at the pointer.
    rightClick(dirs, tree.path());
    EXPECT_FALSE(menuOpen());
    rightClick(dirs, "/sub");
    ASSERT_TRUE(menuOpen());
    EXPECT_EQ(dirs.Path(), tree.path());
    EXPECT_EQ(dirs.List(dirs.ListIndex()), at("sub"));
    EXPECT_EQ(window->SourceList, SourceKind::Dirbox);
    EXPECT_TRUE(menu.mnuDir->isChecked() && menu.mnuSystem->isEnabled());
    EXPECT_TRUE(menu.mnuDelete->isVisible() && !menu.mnuCopy->isVisible());
    EXPECT_EQ(menu.geometry().right() + 1, 400);
    EXPECT_EQ(menu.geometry().top(), 200);
    menu.hide();
    ASSERT_EQ(messageCount(), 1) << "the unreadable folder's";
    EXPECT_TRUE(messages.calls()[0].prompt.contains(QString::fromStdString(at("gone"))));
}

} // namespace
} // namespace umbrix
