#include "ControlTestSupport.h"

#include "app/AppState.h"
#include "app/Interaction.h"
#include "platform/Error.h"
#include "platform/FaultInjection.h"
#include "support/TempDir.h"
#include "ui/controls/DirListBox.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cerrno>
#include <unistd.h>

namespace umbrix {
namespace {

using test::makeDir;
using test::makeFile;

// root/a/b with subdirectories of mixed case, a hidden one, a link to a
// directory, a dangling link and a file.
class DirListBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetAppState();
        makeDir(tmp / "a");
        makeDir(b);
        for (const char* name : {"Zeta", "alpha", ".hidden", "Beta"})
            makeDir(b + "/" + name);
        makeDir(b + "/alpha/inner");
        makeFile(b + "/file.txt");
        ASSERT_EQ(::symlink((tmp / "a").c_str(), (b + "/lnk").c_str()), 0);
        ASSERT_EQ(::symlink((tmp / "gone").c_str(), (b + "/dangling").c_str()), 0);
        list.setPath(b);
    }

    test::TempDir tmp;
    std::string b = tmp / "a/b";
    DirListBox list;
};

TEST_F(DirListBoxTest, ChainIsAddressedByListIndex)
{
    EXPECT_EQ(list.Path(), b);
    EXPECT_EQ(list.ListIndex(), -1);

    // Subdirectories only, hidden and linked ones included, in reading order.
    ASSERT_EQ(list.ListCount(), 5);
    EXPECT_EQ(list.List(0), b + "/.hidden");
    EXPECT_EQ(list.List(1), b + "/alpha");
    EXPECT_EQ(list.List(2), b + "/Beta");
    EXPECT_EQ(list.List(3), b + "/lnk");
    EXPECT_EQ(list.List(4), b + "/Zeta");

    // The open directory, then its ancestors nearest first, up to "/".
    EXPECT_EQ(list.List(-1), b);
    EXPECT_EQ(list.List(-2), tmp / "a");
    EXPECT_EQ(list.List(-3), tmp.path());
    int top = -2;
    while (!list.List(top - 1).empty())
        --top;
    EXPECT_EQ(list.List(top), "/");
    EXPECT_EQ(list.List(5), "");
    EXPECT_EQ(list.List(top - 1), "");

    // Rows are ancestors, the open directory, subdirectories; every one shows
    // its own name only.
    EXPECT_EQ(list.model()->rowCount(), -top + 5);
    EXPECT_EQ(test::rowText(list, 0), QStringLiteral("/"));
    EXPECT_EQ(test::rowText(list, test::rowWithBytes(list, b)), QStringLiteral("b"));
    EXPECT_EQ(test::rowText(list, test::rowWithBytes(list, b + "/Beta")), QStringLiteral("Beta"));
}

TEST_F(DirListBoxTest, ListIndexHighlightsWithoutOpening)
{
    QSignalSpy clicks(&list, &DirListBox::Click);
    QSignalSpy changes(&list, &DirListBox::Change);

    list.setListIndex(-2);
    EXPECT_EQ(list.ListIndex(), -2);
    list.setListIndex(4);
    EXPECT_EQ(list.ListIndex(), 4);
    list.setListIndex(4);
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(list.Path(), b);

    for (int bad : {5, -100}) {
        try {
            list.setListIndex(bad);
            ADD_FAILURE() << "index " << bad << " accepted";
        } catch (const Error& e) {
            EXPECT_EQ(e.number, ErrorNumber::InvalidPropertyValue);
        }
    }
    EXPECT_EQ(list.ListIndex(), 4);
}

TEST_F(DirListBoxTest, MouseAndKeysHighlightAndOpen)
{
    test::showAndWait(list);
    QSignalSpy clicks(&list, &DirListBox::Click);
    QSignalSpy changes(&list, &DirListBox::Change);

    // One click only highlights.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, test::rowCentre(list, test::rowWithBytes(list, b + "/Beta")));
    EXPECT_EQ(list.ListIndex(), 2);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(list.Path(), b);

    // A right click reports itself but leaves the highlight, so a menu acts
    // on the entry the user chose before.
    QSignalSpy presses(&list, &DirListBox::MouseDown);
    QTest::mousePress(list.viewport(), Qt::RightButton, Qt::ControlModifier,
                      test::rowCentre(list, test::rowWithBytes(list, b + "/Zeta")));
    QTest::mouseRelease(list.viewport(), Qt::RightButton, Qt::ControlModifier,
                        test::rowCentre(list, test::rowWithBytes(list, b + "/Zeta")));
    ASSERT_EQ(presses.count(), 1);
    EXPECT_EQ(presses[0][0].value<Qt::MouseButton>(), Qt::RightButton);
    EXPECT_EQ(presses[0][1].value<Qt::KeyboardModifiers>(), Qt::ControlModifier);
    EXPECT_EQ(list.ListIndex(), 2);

    // A double click opens; the open directory is then the highlighted entry.
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, test::rowCentre(list, test::rowWithBytes(list, b + "/alpha")));
    EXPECT_EQ(list.Path(), b + "/alpha");
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(list.ListCount(), 1);
    EXPECT_EQ(changes.count(), 1);

    // Up arrow moves to the parent; Enter opens it.
    clicks.clear();
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Up);
    EXPECT_EQ(list.ListIndex(), -2);
    EXPECT_EQ(clicks.count(), 1);
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(list.Path(), b);
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(changes.count(), 2);
}

TEST_F(DirListBoxTest, FolderThatCannotBeOpenedLeavesTheListAsItWas)
{
    QSignalSpy changes(&list, &DirListBox::Change);
    list.setListIndex(3);
    const int rows = list.model()->rowCount();

    const auto expectFailure = [&](const std::string& path, int number) {
        try {
            list.setPath(path);
            ADD_FAILURE() << path << " opened";
        } catch (const Error& e) {
            EXPECT_EQ(e.number, number) << path;
            EXPECT_FALSE(e.description.empty());
        }
        EXPECT_EQ(list.Path(), b);
        EXPECT_EQ(list.ListIndex(), 3);
        EXPECT_EQ(list.model()->rowCount(), rows);
    };
    expectFailure(tmp / "missing", ErrorNumber::PathNotFound);
    expectFailure(b + "/file.txt", ErrorNumber::PathNotFound);
    expectFailure("", ErrorNumber::PathNotFound);
    {
        platform::ScopedFaultHook denied([&](platform::FaultPoint point, std::string_view path) {
            return point == platform::FaultPoint::OpenDirectory && path == b + "/Zeta" ? EACCES : 0;
        });
        expectFailure(b + "/Zeta", ErrorNumber::PathFileAccess);

        // Opened by the user, the failure is reported and the list stays.
        app().AppTitle = "Umbrix";
        ScopedMsgBoxResponder boxes;
        list.setListIndex(4);
        list.setFocus();
        QTest::keyClick(&list, Qt::Key_Enter);
        ASSERT_EQ(boxes.calls().size(), 1u);
        EXPECT_EQ(boxes.calls()[0].buttons, MsgBoxStyle::Exclamation);
        EXPECT_EQ(boxes.calls()[0].title, QStringLiteral("Umbrix"));
        EXPECT_EQ(list.Path(), b);
        EXPECT_EQ(list.ListIndex(), 4);
    }
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(DirListBoxTest, PathsAreResolvedByNameAndSamePathRereads)
{
    QSignalSpy changes(&list, &DirListBox::Change);
    list.setPath(b + "/./alpha/../alpha//inner/..");
    EXPECT_EQ(list.Path(), b + "/alpha");
    EXPECT_EQ(changes.count(), 1);
    list.setPath(b + "/../../../../../../../../../../../../../../../..");
    EXPECT_EQ(list.Path(), "/");
    EXPECT_EQ(list.List(-2), "");
    list.setPath("alpha/..");
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(list.Path(), cwd);

    // Opening a link keeps the link's own path in the chain.
    list.setPath(b + "/lnk");
    EXPECT_EQ(list.Path(), b + "/lnk");
    EXPECT_EQ(list.List(-2), b);
    EXPECT_EQ(list.List(0), b + "/lnk/b");

    list.setPath(b);
    changes.clear();
    makeDir(b + "/new");
    list.setListIndex(2);
    list.refresh();
    EXPECT_EQ(list.ListCount(), 6);
    EXPECT_EQ(list.ListIndex(), 2);
    list.setPath(b);
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(DirListBoxTest, NamesThatAreNotUtf8StayExact)
{
    const std::string odd = b + "/caf\xE9";
    makeDir(odd);
    list.refresh();
    const int row = test::rowWithBytes(list, odd);
    ASSERT_GE(row, 0);
    EXPECT_EQ(test::rowText(list, row), QStringLiteral("caf\\xE9"));
    list.setPath(odd);
    EXPECT_EQ(list.Path(), odd);
    EXPECT_EQ(list.List(-1), odd);
}

TEST(DirListBoxScale, TenThousandSubfoldersFillQuickly)
{
    test::TempDir tmp;
    for (int i = 0; i < 10000; ++i)
        makeDir(tmp / ("d" + std::to_string(i)));
    DirListBox list;
    QElapsedTimer timer;
    timer.start();
    list.setPath(tmp.path());
    EXPECT_LT(timer.elapsed(), 1000);
    ASSERT_EQ(list.ListCount(), 10000);
    // Numbers in names are read as numbers.
    EXPECT_EQ(list.List(0), tmp / "d0");
    EXPECT_EQ(list.List(2), tmp / "d2");
    EXPECT_EQ(list.List(9999), tmp / "d9999");
}

} // namespace
} // namespace umbrix
