#include "fileops/SelectionCommand.h"
#include "platform/FaultInjection.h"
#include "ui/main/MainWindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <cerrno>
#include <cstdio>

namespace umbrix {
namespace {

namespace Attr = platform::Attr;
using platform::FaultPoint;
using platform::ScopedFaultHook;

class AttributeWindow : public test::MainWindowFixture {
protected:
    void showResults()
    {
        ShowSearchResults(*window);
        ASSERT_TRUE(window->fraAttrib->isVisible());
    }
    QString caption() const { return window->windowTitle(); }
};

TEST_F(AttributeWindow, CheckingABoxVisitsEveryResultBoxInOrder)
{
    addResultBox({{"a0", 0}, {"a1", 0}, {"a2", 0}, {"a3", 0}});
    addResultBox({{"b0", 0}, {"b1", 0}, {"b2", 0}});
    addResultBox({{"c0", 0}, {"c1", 0}, {"c2", 0}, {"c3", 0}});
    showResults();
    ASSERT_EQ(window->lstFoundFiles.TotalListbox(), 3);
    selectRows(0, {0, 2}, 0);
    selectRows(1, {1}, 1);
    selectRows(2, {3, 0, 1}, 3);
    window->lstFoundFiles.setCurrentIndex(0);
    window->SourceList = SourceKind::Listbox;

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
    EXPECT_TRUE(messages.calls().empty());
}

TEST_F(AttributeWindow, AMixedSelectionGraysTheBoxAndItsLabelSetsTheAttributeEverywhere)
{
    addResultBox({{"a-hidden", Attr::Hidden}, {"b-archive", Attr::Archive}, {"c-plain", 0}});
    showResults();
    // Rows picked with the mouse fill the panel.
    ResultListBox& list = window->lstFoundFiles.box(0);
    list.resultModel().commit();
    for (int row : {0, 1})
        QTest::mouseClick(list.viewport(), Qt::LeftButton,
                          row ? Qt::ControlModifier : Qt::NoModifier,
                          list.visualRect(list.model()->index(row, 0)).center());
    EXPECT_EQ(panel(), (std::vector<int>{0, 2, 0, 2, 0}));
    EXPECT_FALSE(state.Busy);

    QTest::mouseClick(panelControl<QLabel>(QStringLiteral("lblHidden")), Qt::LeftButton);
    EXPECT_EQ(box(1), 1);
    EXPECT_EQ(attributesOf("a-hidden"), Attr::Hidden);
    EXPECT_EQ(attributesOf("b-archive"), Attr::Archive | Attr::Hidden);
    EXPECT_EQ(attributesOf("c-plain"), 0u);
}

TEST_F(AttributeWindow, ABoxThatChangesNothingGoesBackOrGrays)
{
    addResultBox({{"h1", Attr::Hidden}, {"h2", Attr::Hidden}, {"vanishes", 0}});
    showResults();
    // Without a selection: a beep, and the box is cleared.
    attributeBox(1)->click();
    EXPECT_EQ(beeps.count(), 1);
    EXPECT_EQ(box(1), 0);

    // Both already hidden: over several rows the box can only say "some".
    selectRows(0, {0, 1}, 0);
    attributeBox(1)->click();
    EXPECT_EQ(box(1), 2);

    // One row that cannot be read: back to what the box showed, and the
    // command's end tells of the failure nobody saw.
    std::remove(at("vanishes").c_str());
    selectRows(0, {2}, 2);
    attributeBox(2)->click();
    EXPECT_EQ(box(2), 0);
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_TRUE(messages.calls()[0].prompt.startsWith(QStringLiteral("1 entry ")));
    EXPECT_EQ(messages.calls()[0].buttons, MsgBoxStyle::Exclamation);
}

TEST_F(AttributeWindow, ARefusedWriteReachesTheRetryBoxAndCancelStopsTheCommand)
{
    addResultBox({{"f0", 0}, {"f1", 0}, {"f2", 0}});
    showResults();
    selectRows(0, {0, 1, 2}, 0);
    window->SourceList = SourceKind::Listbox;
    const std::string refused = at("f1");
    const ScopedFaultHook refuse([&](FaultPoint point, std::string_view path) {
        return point == FaultPoint::WriteAttributes && path == refused ? EROFS : 0;
    });
    ScopedMsgBoxResponder answers([](const MsgBoxCall&) { return MsgBoxAnswer::Cancel; });

    attributeBox(2)->click();
    ASSERT_EQ(answers.calls().size(), 1u);
    EXPECT_TRUE(answers.calls()[0].prompt.contains(QString::fromStdString(refused)));
    EXPECT_EQ(state.MsgAnswer, MsgBoxAnswer::Cancel);
    EXPECT_EQ(attributesOf("f0"), Attr::System);
    EXPECT_EQ(attributesOf("f1"), 0u);
    EXPECT_EQ(attributesOf("f2"), 0u);
    EXPECT_FALSE(window->CancelAction());
    EXPECT_EQ(caption(), QStringLiteral("Umbrix"));
}

TEST_F(AttributeWindow, ResetStopsASummaryWithoutTouchingThePanel)
{
    addResultBox({{"h", Attr::Hidden}, {"s", Attr::System}, {"p", 0}});
    showResults();
    selectRows(0, {0, 1, 2}, 0);
    window->fraAttrib->setValue(0, CheckValue::Checked);
    const ScopedDoEventsHook reset([&, done = false]() mutable {
        if (!done) {
            done = true;
            window->cmdSearch->click();
        }
    });
    window->fraAttrib->ShowSelectionAttributes(0);
    EXPECT_EQ(window->view(), FrmSeek::View::Browser);
    EXPECT_EQ(box(0), 1);
    EXPECT_EQ(box(1), 0);
    EXPECT_FALSE(window->CancelAction());
    EXPECT_FALSE(state.Busy);
    EXPECT_EQ(caption(), QStringLiteral("Umbrix"));
}

TEST_F(AttributeWindow, ClosingEndsTheRemoveCommandAtTheNextYield)
{
    addResultBox({{"h0", Attr::Hidden}, {"h1", Attr::Hidden}, {"h2", Attr::Hidden}});
    showResults();
    selectRows(0, {0, 1, 2}, 0);
    window->fraAttrib->setValue(1, CheckValue::Checked);
    window->SourceList = SourceKind::Listbox;
    const ScopedDoEventsHook close([&] { state.Closing = true; });
    window->bAttribute->mnuHidden->trigger();
    EXPECT_EQ(attributesOf("h2"), Attr::Hidden);
    // The finishing step is skipped: the program is ending.
    EXPECT_EQ(box(1), 1);
    // Not even the wait cursor goes; the next test needs the normal one.
    QApplication::restoreOverrideCursor();
}

TEST_F(AttributeWindow, ThePanelShowsOneEntryAndTheMenuWhatCanBeRemoved)
{
    file("ro-hidden", Attr::ReadOnly | Attr::Hidden);
    folder("dir", Attr::System);
    EXPECT_TRUE(window->fraAttrib->ShowEntryAttributes(at("ro-hidden")));
    EXPECT_EQ(panel(), (std::vector<int>{1, 1, 0, 0, 0}));
    EXPECT_TRUE(window->bAttribute->mnuReadOnly->isEnabled());
    EXPECT_TRUE(window->bAttribute->mnuHidden->isEnabled());
    EXPECT_FALSE(window->bAttribute->mnuSystem->isEnabled());
    EXPECT_FALSE(window->bAttribute->mnuArchive->isEnabled());
    EXPECT_FALSE(window->bAttribute->mnuDir->isChecked());

    EXPECT_TRUE(window->fraAttrib->ShowEntryAttributes(at("dir")));
    EXPECT_EQ(panel(), (std::vector<int>{0, 0, 1, 0, 1}));
    EXPECT_TRUE(window->bAttribute->mnuDir->isChecked());

    EXPECT_FALSE(window->fraAttrib->ShowEntryAttributes(at("missing")));
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_TRUE(messages.calls()[0].prompt.contains(QString::fromStdString(at("missing"))));
    EXPECT_EQ(messages.calls()[0].buttons, MsgBoxStyle::Critical);
    EXPECT_EQ(panel(), (std::vector<int>{0, 0, 0, 0, 0}));
    EXPECT_FALSE(window->bAttribute->mnuDir->isChecked());
    EXPECT_FALSE(state.Busy);
}

TEST_F(AttributeWindow, RemoveMenuWorksOnTheFileAndDirectoryLists)
{
    file("a.txt", Attr::Hidden | Attr::Archive);
    folder("secret", Attr::Hidden);
    file("plain.txt", Attr::ReadOnly);
    window->browser.filList->refresh();
    window->browser.dirList->refresh();

    // The menu opens on the highlighted entry, which the panel shows first.
    window->SourceList = SourceKind::Filebox;
    window->browser.filList->setListIndex(fileRow("a.txt"));
    ASSERT_TRUE(window->fraAttrib->ShowEntryAttributes(at("a.txt")));
    window->bAttribute->mnuHidden->trigger();
    EXPECT_EQ(attributesOf("a.txt"), Attr::Archive);
    EXPECT_EQ(panel(), (std::vector<int>{0, 0, 0, 1, 0}));
    EXPECT_FALSE(window->bAttribute->mnuHidden->isEnabled());

    // Another program took the attribute away while the menu was open: only
    // the attribute named goes, never one of the others.
    window->browser.filList->setListIndex(fileRow("plain.txt"));
    window->fraAttrib->mnuHidden_Click();
    EXPECT_EQ(attributesOf("plain.txt"), Attr::ReadOnly);

    window->SourceList = SourceKind::Dirbox;
    window->browser.dirList->setListIndex(0);
    ASSERT_EQ(window->browser.dirList->List(0), at("secret"));
    ASSERT_TRUE(window->fraAttrib->ShowEntryAttributes(at("secret")));
    window->bAttribute->mnuHidden->trigger();
    EXPECT_EQ(attributesOf("secret"), Attr::Directory);
    EXPECT_EQ(box(4), 1);
    EXPECT_TRUE(messages.calls().empty());

    test::setDosAttrib(at("secret"), Attr::System);
    const ScopedFaultHook refuse([](FaultPoint point, std::string_view) {
        return point == FaultPoint::WriteAttributes ? EACCES : 0;
    });
    ASSERT_TRUE(window->fraAttrib->ShowEntryAttributes(at("secret")));
    window->bAttribute->mnuSystem->trigger();
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_EQ(messages.calls()[0].title, QStringLiteral("System attribute"));
    EXPECT_EQ(messages.calls()[0].prompt, QStringLiteral("Permission denied"));
    EXPECT_EQ(messages.calls()[0].buttons, MsgBoxStyle::Exclamation);
    EXPECT_EQ(attributesOf("secret"), Attr::Directory | Attr::System);
}

TEST_F(AttributeWindow, RemoveMenuOnTheResultListClearsTheSelectionAndTheBox)
{
    addResultBox({{"s0", Attr::System}, {"s1", Attr::System | Attr::Hidden}, {"s2", Attr::System}});
    showResults();
    selectRows(0, {0, 1}, 0);
    window->fraAttrib->setValue(2, CheckValue::Grayed);
    window->SourceList = SourceKind::Listbox;
    window->bAttribute->mnuSystem->trigger();
    EXPECT_EQ(attributesOf("s0"), 0u);
    EXPECT_EQ(attributesOf("s1"), Attr::Hidden);
    EXPECT_EQ(attributesOf("s2"), Attr::System);
    EXPECT_EQ(box(2), 0);
    EXPECT_EQ(caption(), QStringLiteral("Umbrix"));
}

TEST_F(AttributeWindow, TheFocusedBoxHighlightsItsLabel)
{
    addResultBox({{"f", 0}});
    showResults();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    const QColor face = window->palette().color(QPalette::Button);
    const auto background = [](QLabel* label) { return label->palette().color(QPalette::Window); };
    attributeBox(2)->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return attributeBox(2)->hasFocus(); }));
    EXPECT_EQ(background(panelControl<QLabel>(QStringLiteral("lblSystem"))), QColor(255, 255, 128));
    for (QLabel* other : {panelControl<QLabel>(QStringLiteral("lblReadOnly")),
                          panelControl<QLabel>(QStringLiteral("lblHidden")),
                          panelControl<QLabel>(QStringLiteral("lblArchive"))})
        EXPECT_EQ(background(other), face);

    window->txtTip->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->txtTip->hasFocus(); }));
    EXPECT_EQ(background(panelControl<QLabel>(QStringLiteral("lblSystem"))), face);
}

} // namespace
} // namespace umbrix
