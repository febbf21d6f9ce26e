#include "fileops/SelectionCommand.h"
#include "platform/FaultInjection.h"
#include "ui/main/MainWindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTest>
#include <cerrno>
#include <cstdio>
#include <utility>

namespace umbrix {
namespace {

namespace Attr = platform::Attr;
using platform::FaultPoint;
using platform::ScopedFaultHook;
using Panel = std::vector<int>;

class AttributeWindow : public test::MainWindowFixture {
protected:
    void showResults()
    {
        ShowSearchResults(*window);
        ASSERT_TRUE(window->fraAttrib->isVisible());
    }
    QString caption() const { return window->windowTitle(); }
    QLabel* label(const char* name) const
    {
        return window->fraAttrib->findChild<QLabel*>(QString::fromUtf8(name));
    }
};

// A box checked sets its attribute on the selected rows of every result
// box, in order, the caption telling the progress; unselected rows stay.
TEST_F(AttributeWindow, CheckingABoxSetsTheSelectedRowsOfEveryBox)
{
    addResultBox({{"a0", 0}, {"a1", 0}, {"a2", 0}, {"a3", 0}});
    addResultBox({{"b0", 0}, {"b1", 0}, {"b2", 0}});
    addResultBox({{"c0", 0}, {"c1", 0}, {"c2", 0}, {"c3", 0}});
    showResults();
    selectRows(1, {1}, 1);
    selectRows(2, {3, 0, 1}, 3);
    selectRows(0, {0, 2}, 0);
    std::vector<QString> captions;
    const ScopedDoEventsHook watch([&] { captions.push_back(caption()); });
    attributeBox(1)->click();

    for (const char* name : {"a0", "a2", "b1", "c0", "c1", "c3"})
        EXPECT_EQ(attributesOf(name), Attr::Hidden) << name;
    for (const char* name : {"a1", "a3", "b0", "b2", "c2"})
        EXPECT_EQ(attributesOf(name), 0u) << name;
    EXPECT_EQ(box(1), 1);
    ASSERT_FALSE(captions.empty());
    EXPECT_EQ(captions.front(), QString::fromStdString(processingCaption(25)));
    EXPECT_EQ(caption(), QStringLiteral("Umbrix"));
    EXPECT_FALSE(window->CancelAction());
    EXPECT_EQ(messageCount(), 0);
}

// Rows that differ gray a box; its label then sets the attribute on all of
// them.  A box that can change nothing goes back (no selection: a beep) or
// stays gray (all already set); a row that cannot be read puts the box back
// and the end tells of the failure nobody saw.
TEST_F(AttributeWindow, TheTriStateBoxesFollowTheSelection)
{
    addResultBox({{"a-hidden", Attr::Hidden}, {"b-archive", Attr::Archive}, {"c-plain", 0},
                  {"h2", Attr::Hidden}, {"vanishes", 0}});
    showResults();
    ResultListBox& list = window->lstFoundFiles.box(0);
    list.resultModel().commit();
    for (int row : {0, 1})
        QTest::mouseClick(list.viewport(), Qt::LeftButton, row ? Qt::ControlModifier : Qt::NoModifier,
                          list.visualRect(list.model()->index(row, 0)).center());
    EXPECT_EQ(panel(), (Panel{0, 2, 0, 2, 0}));
    QTest::mouseClick(label("lblHidden"), Qt::LeftButton);
    EXPECT_EQ(box(1), 1);
    EXPECT_EQ(attributesOf("b-archive"), Attr::Archive | Attr::Hidden);
    EXPECT_EQ(attributesOf("c-plain"), 0u);

    list.setAllSelected(false);
    window->fraAttrib->ClearAttributeBoxes();
    attributeBox(1)->click();
    EXPECT_EQ(beeps.count(), 1);
    EXPECT_EQ(box(1), 0);
    selectRows(0, {0, 3}, 0);
    attributeBox(1)->click();
    EXPECT_EQ(box(1), 2) << "over several rows the box can only say \"some\"";
    EXPECT_EQ(attributesOf("c-plain"), 0u);

    std::remove(at("vanishes").c_str());
    selectRows(0, {4}, 4);
    attributeBox(2)->click();
    EXPECT_EQ(box(2), 0);
    ASSERT_EQ(messageCount(), 1);
    EXPECT_TRUE(messages.calls()[0].prompt.startsWith(QStringLiteral("1 entry ")));
    EXPECT_EQ(messages.calls()[0].buttons, MsgBoxStyle::Exclamation);
}

// A refused write asks whether to retry, naming the entry: Cancel stops the
// command there, No goes on with the next row.
TEST_F(AttributeWindow, ARefusedWriteReachesTheRetryQuestion)
{
    const struct {
        int answer;
        uint32_t f2;
    } cases[] = {{MsgBoxAnswer::Cancel, 0}, {MsgBoxAnswer::No, Attr::System}};
    addResultBox({{"f0", 0}, {"f1", 0}, {"f2", 0}});
    showResults();
    const std::string refused = at("f1");
    const ScopedFaultHook refuse([&](FaultPoint point, std::string_view path) {
        return point == FaultPoint::WriteAttributes && path == refused ? EROFS : 0;
    });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        for (const char* name : {"f0", "f1", "f2"})
            test::setDosAttrib(at(name), 0);
        selectRows(0, {0, 1, 2}, 0);
        window->fraAttrib->ClearAttributeBoxes();
        // Cancel should a question come back more often than asked for.
        int asked = 0;
        ScopedMsgBoxResponder answers([&](const MsgBoxCall&) {
            return ++asked > 3 ? MsgBoxAnswer::Cancel : c.answer;
        });
        attributeBox(2)->click();
        ASSERT_EQ(answers.calls().size(), 1u);
        EXPECT_TRUE(answers.calls()[0].prompt.contains(QString::fromStdString(refused)));
        EXPECT_EQ(state.MsgAnswer, c.answer);
        EXPECT_EQ(attributesOf("f0"), Attr::System);
        EXPECT_EQ(attributesOf("f1"), 0u);
        EXPECT_EQ(attributesOf("f2"), c.f2);
        EXPECT_FALSE(window->CancelAction());
        EXPECT_EQ(caption(), QStringLiteral("Umbrix"));
    }
}

// Reset during a summary stops it and leaves the panel alone; closing during
// a remove command ends it at the next yield, skipping its finishing step.
TEST_F(AttributeWindow, ResetOrCloseStopsALongCommand)
{
    addResultBox({{"h0", Attr::Hidden}, {"h1", Attr::Hidden}, {"h2", Attr::Hidden}});
    showResults();
    selectRows(0, {0, 1, 2}, 0);
    window->fraAttrib->setValue(1, CheckValue::Checked);
    {
        const ScopedDoEventsHook close([&] { state.Closing = true; });
        window->bAttribute->mnuHidden->trigger();
    }
    EXPECT_EQ(attributesOf("h2"), Attr::Hidden);
    EXPECT_EQ(box(1), 1) << "the program is ending: the panel is not brought up to date";
    // Not even the wait cursor goes; the rest of the test needs the normal one.
    QApplication::restoreOverrideCursor();
    state.Closing = false;

    window->fraAttrib->setValue(0, CheckValue::Checked);
    const ScopedDoEventsHook reset([&, done = false]() mutable {
        if (!std::exchange(done, true))
            window->cmdSearch->click();
    });
    window->fraAttrib->ShowSelectionAttributes(0);
    EXPECT_EQ(window->view(), FrmSeek::View::Browser);
    EXPECT_EQ(box(0), 1);
    EXPECT_FALSE(window->CancelAction() || state.Busy);
    EXPECT_EQ(caption(), QStringLiteral("Umbrix"));
}

// The remove menu clears its attribute from the highlighted entry of a
// browser list, and only that attribute; a refused write is told under the
// attribute's name.
TEST_F(AttributeWindow, TheRemoveMenuClearsOneAttributeFromTheBrowsersEntry)
{
    file("a.txt", Attr::Hidden | Attr::Archive);
    folder("secret", Attr::Hidden);
    file("plain.txt", Attr::ReadOnly);
    window->browser.filList->refresh();
    window->browser.dirList->refresh();
    window->SourceList = SourceKind::Filebox;
    window->browser.filList->setListIndex(fileRow("a.txt"));
    ASSERT_TRUE(window->fraAttrib->ShowEntryAttributes(at("a.txt")));
    window->bAttribute->mnuHidden->trigger();
    EXPECT_EQ(attributesOf("a.txt"), Attr::Archive);
    EXPECT_EQ(panel(), (Panel{0, 0, 0, 1, 0}));
    // Another program took the attribute away while the menu was open.
    window->browser.filList->setListIndex(fileRow("plain.txt"));
    window->fraAttrib->mnuHidden_Click();
    EXPECT_EQ(attributesOf("plain.txt"), Attr::ReadOnly);

    window->SourceList = SourceKind::Dirbox;
    window->browser.dirList->setListIndex(0);
    test::setDosAttrib(at("secret"), Attr::System);
    ASSERT_TRUE(window->fraAttrib->ShowEntryAttributes(at("secret")));
    {
        const ScopedFaultHook refuse([](FaultPoint point, std::string_view) {
            return point == FaultPoint::WriteAttributes ? EACCES : 0;
        });
        window->bAttribute->mnuSystem->trigger();
    }
    ASSERT_EQ(messageCount(), 1);
    EXPECT_EQ(messages.calls()[0].title, QStringLiteral("System attribute"));
    EXPECT_EQ(messages.calls()[0].prompt, QStringLiteral("Permission denied"));
    EXPECT_EQ(attributesOf("secret"), Attr::Directory | Attr::System);
    window->bAttribute->mnuSystem->trigger();
    EXPECT_EQ(attributesOf("secret"), Attr::Directory);
}

TEST_F(AttributeWindow, TheRemoveMenuOnTheResultsClearsTheSelectedRows)
{
    addResultBox({{"s0", Attr::System}, {"s1", Attr::System | Attr::Hidden}, {"s2", Attr::System}});
    showResults();
    selectRows(0, {0, 1}, 0);
    window->fraAttrib->setValue(2, CheckValue::Grayed);
    window->bAttribute->mnuSystem->trigger();
    EXPECT_EQ(attributesOf("s0"), 0u);
    EXPECT_EQ(attributesOf("s1"), Attr::Hidden);
    EXPECT_EQ(attributesOf("s2"), Attr::System);
    EXPECT_EQ(box(2), 0);
    EXPECT_EQ(caption(), QStringLiteral("Umbrix"));
}

} // namespace
} // namespace umbrix
