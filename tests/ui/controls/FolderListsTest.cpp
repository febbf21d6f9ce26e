#include "platform/Error.h"
#include "platform/FaultInjection.h"
#include "support/TempDir.h"
#include "ui/controls/DirListBox.h"
#include "ui/controls/FileListBox.h"
#include "ui/services/Interaction.h"

#include <QSignalSpy>
#include <QTest>
#include <cerrno>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace umbrix {
namespace {

using test::makeDir;
using test::makeFile;
using Names = std::vector<std::string>;

// Row of the list whose exact bytes are `bytes`, -1 when none.
int rowWithBytes(const QAbstractItemView& view, const std::string& bytes)
{
    for (int row = 0; row < view.model()->rowCount(); ++row)
        if (view.model()->index(row, 0).data(NameRowModel::BytesRole).toByteArray().toStdString() ==
            bytes)
            return row;
    return -1;
}
QString rowText(const QAbstractItemView& view, int row)
{
    return view.model()->index(row, 0).data(Qt::DisplayRole).toString();
}
int errorNumber(const std::function<void()>& action) { return test::errorOf(action).number; }

// root/a/b holding folders of mixed case, a hidden one, one named like a
// file, links to a folder, a file and nowhere, hidden and system files, a
// pipe, and names with numbers.
class FolderListsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::makeTree(tmp.path(), {"a/", "a/b/"});
        test::makeTree(b, {"Zeta/", "alpha/", ".hidden/", "Beta/", "folder.txt/", "alpha/inner/",
                           "b.txt", "A.doc", "c.TXT", "noext", ".profile", "file10.log",
                           "file9.log", "hidden.dat", "system.dat", "lnk -> ..", "tofile -> b.txt",
                           "dangling -> ../../gone"});
        test::setDosAttrib(b + "/hidden.dat", 2);
        test::setDosAttrib(b + "/system.dat", 4);
        ASSERT_EQ(::mkfifo((b + "/pipe").c_str(), 0644), 0);
        dirs.setPath(b);
        files.setPath(b);
    }
    Names fileNames() const
    {
        Names all;
        for (int i = 0; i < files.ListCount(); ++i)
            all.push_back(files.List(i));
        return all;
    }

    test::TempDir tmp;
    std::string b = tmp / "a/b";
    DirListBox dirs;
    FileListBox files;
};

// The file list holds every entry that is no folder, hidden ones and links
// included; the directory list the chain up to "/" (negative indexes) and
// the subfolders, each shown by its own name.
TEST_F(FolderListsTest, BothListsHoldTheirEntriesInReadingOrder)
{
    EXPECT_EQ(fileNames(),
              (Names{".profile", "A.doc", "b.txt", "c.TXT", "dangling", "file9.log", "file10.log",
                     "hidden.dat", "noext", "pipe", "system.dat", "tofile"}));
    EXPECT_EQ(files.List(12), "");
    Names subdirs;
    for (int i = 0; i < dirs.ListCount(); ++i)
        subdirs.push_back(dirs.List(i));
    EXPECT_EQ(subdirs, (Names{b + "/.hidden", b + "/alpha", b + "/Beta", b + "/folder.txt",
                              b + "/lnk", b + "/Zeta"}));
    EXPECT_EQ(dirs.List(-1), b);
    EXPECT_EQ(dirs.List(-2), tmp / "a");
    int top = -2;
    while (!dirs.List(top - 1).empty())
        --top;
    EXPECT_EQ(dirs.List(top), "/");
    EXPECT_EQ(dirs.model()->rowCount(), -top + 6);
    EXPECT_EQ(rowText(dirs, rowWithBytes(dirs, b)), QStringLiteral("b"));
    EXPECT_EQ(rowText(dirs, rowWithBytes(dirs, b + "/Beta")), QStringLiteral("Beta"));
}

// A pattern may list several, split by ";"; one the list cannot take (a
// path) is refused and leaves the list as it was.
TEST_F(FolderListsTest, PatternsTakeSemicolonListsAndABadOneChangesNothing)
{
    files.setPattern(" *.doc ; ;?.txt;");
    EXPECT_EQ(fileNames(), (Names{"A.doc", "b.txt", "c.TXT"}));
    files.setPattern("*.txt");
    files.setListIndex(1);
    for (const std::string& bad : {std::string("sub/*.txt"), std::string("a\0b", 3)}) {
        EXPECT_EQ(errorNumber([&] { files.setPattern(bad); }), ErrorNumber::InvalidPropertyValue);
        EXPECT_EQ(files.Pattern(), "*.txt");
        EXPECT_EQ(fileNames(), (Names{"b.txt", "c.TXT"}));
        EXPECT_EQ(files.ListIndex(), 1);
    }
}

// A click highlights; a right click reports itself and leaves the
// highlight; a double click or Enter opens.  Indexes outside the list are
// refused.
TEST_F(FolderListsTest, ClickHighlightsAndDoubleClickOrEnterOpens)
{
    dirs.resize(300, 600);
    dirs.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dirs));
    QSignalSpy clicks(&dirs, &DirListBox::Click);
    QSignalSpy changes(&dirs, &DirListBox::Change);
    QSignalSpy presses(&dirs, &DirListBox::MouseDown);
    const auto centre = [&](const std::string& path) {
        return dirs.visualRect(dirs.model()->index(rowWithBytes(dirs, path), 0)).center();
    };
    QTest::mouseClick(dirs.viewport(), Qt::LeftButton, {}, centre(b + "/Beta"));
    EXPECT_EQ(dirs.ListIndex(), 2);
    EXPECT_EQ(clicks.count(), 1);
    QTest::mouseClick(dirs.viewport(), Qt::RightButton, Qt::ControlModifier, centre(b + "/Zeta"));
    ASSERT_EQ(presses.count(), 2);
    EXPECT_EQ(presses[1][0].value<Qt::MouseButton>(), Qt::RightButton);
    EXPECT_EQ(dirs.ListIndex(), 2);
    for (const int outside : {6, -100})
        EXPECT_EQ(errorNumber([&] { dirs.setListIndex(outside); }), ErrorNumber::InvalidPropertyValue);
    for (const int outside : {12, -2})
        EXPECT_EQ(errorNumber([&] { files.setListIndex(outside); }), ErrorNumber::InvalidPropertyValue);
    EXPECT_EQ(changes.count(), 0);

    QTest::mouseDClick(dirs.viewport(), Qt::LeftButton, {}, centre(b + "/alpha"));
    EXPECT_EQ(dirs.Path(), b + "/alpha");
    EXPECT_EQ(dirs.ListIndex(), -1);
    dirs.setFocus();
    QTest::keyClick(&dirs, Qt::Key_Up);
    QTest::keyClick(&dirs, Qt::Key_Return);
    EXPECT_EQ(dirs.Path(), b);
    EXPECT_EQ(changes.count(), 2);
}

// A path that is no readable folder is refused by both lists, which stay as
// they were; opened by the user, the failure is told in a box.
TEST_F(FolderListsTest, AFolderThatCannotBeReadKeepsBothListsAsTheyWere)
{
    QSignalSpy changes(&dirs, &DirListBox::Change);
    dirs.setListIndex(3);
    files.setListIndex(4);
    const platform::ScopedFaultHook denied([&](platform::FaultPoint point, std::string_view path) {
        return point == platform::FaultPoint::OpenDirectory && path == b + "/Zeta" ? EACCES : 0;
    });
    const std::pair<std::string, int> cases[] = {{tmp / "missing", ErrorNumber::PathNotFound},
                                                 {b + "/b.txt", ErrorNumber::PathNotFound},
                                                 {b + "/Zeta", ErrorNumber::PathFileAccess}};
    for (const auto& [path, number] : cases) {
        SCOPED_TRACE(path);
        EXPECT_EQ(errorNumber([&] { dirs.setPath(path); }), number);
        EXPECT_EQ(errorNumber([&] { files.setPath(path); }), number);
        EXPECT_EQ(dirs.Path(), b);
        EXPECT_EQ(dirs.ListIndex(), 3);
        EXPECT_EQ(files.ListCount(), 12);
        EXPECT_EQ(files.ListIndex(), 4);
    }
    ScopedMsgBoxResponder boxes;
    dirs.setListIndex(5);
    dirs.setFocus();
    QTest::keyClick(&dirs, Qt::Key_Enter);
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].buttons, MsgBoxStyle::Exclamation);
    EXPECT_EQ(dirs.Path(), b);
    EXPECT_EQ(changes.count(), 0);
}

// Paths resolve by name, a link keeping its own path in the chain; opening
// the same folder again rereads it without a change.  Names that are not
// UTF-8 show visibly and keep their bytes.
TEST_F(FolderListsTest, PathsResolveByNameAndNamesKeepTheirBytes)
{
    QSignalSpy changes(&dirs, &DirListBox::Change);
    dirs.setPath(b + "/./alpha/../alpha//inner/..");
    EXPECT_EQ(dirs.Path(), b + "/alpha");
    dirs.setPath(b + "/lnk");
    EXPECT_EQ(dirs.List(-2), b);
    EXPECT_EQ(dirs.List(0), b + "/lnk/b");
    dirs.setPath(b);
    EXPECT_EQ(changes.count(), 3);
    const std::string folder = b + "/caf\xE9";
    const std::string file = "r\xE9sum\xE9.txt";
    makeDir(folder);
    makeFile(b + "/" + file);
    dirs.setPath(b);
    files.setPath(b + "/");
    EXPECT_EQ(changes.count(), 3);
    EXPECT_EQ(files.ListCount(), 13);
    EXPECT_EQ(rowText(dirs, rowWithBytes(dirs, folder)), QStringLiteral("caf\\xE9"));
    files.setPattern("r?sum?.txt");
    ASSERT_EQ(fileNames(), Names{file});
    EXPECT_EQ(rowText(files, 0), QStringLiteral("r\\xE9sum\\xE9.txt"));
    dirs.setPath(folder);
    EXPECT_EQ(dirs.Path(), folder);
}

// A folder larger than a round is read and ordered between the window's
// events; whoever asks for the rows meanwhile gets them complete, and a
// folder opened before the last is filled replaces it for good.
TEST(FolderListsScale, ALargeFolderFillsInRoundsWhileTheWindowAnswers)
{
    test::TempDir tmp;
    for (int i = 0; i < 300; ++i)
        makeFile(tmp / ("f" + std::to_string(i) + ".bin"));
    test::makeTree(tmp.path(), {"small/", "small/b", "small/a"});
    FileListBox files;
    files.setRoundSize(16);
    files.setPath(tmp.path());
    EXPECT_EQ(files.model()->rowCount(), 0);
    int rowsWhenAnswered = -1;
    QMetaObject::invokeMethod(
        &files, [&] { rowsWhenAnswered = files.model()->rowCount(); }, Qt::QueuedConnection);
    int rounds = 0;
    for (; files.filling() && rounds < 10000; ++rounds)
        QCoreApplication::processEvents();
    EXPECT_EQ(rowsWhenAnswered, 0);
    EXPECT_GT(rounds, 20);
    EXPECT_EQ(files.model()->rowCount(), 300);

    files.setPattern("f1*");
    EXPECT_TRUE(files.filling());
    ASSERT_EQ(files.ListCount(), 111) << "completed there and then";
    EXPECT_EQ(files.List(10), "f19.bin");
    EXPECT_EQ(files.List(11), "f100.bin");
    files.setPattern("*");
    files.setPath(tmp / "small");
    for (int i = 0; i < 100; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(files.model()->rowCount(), 2);
    EXPECT_EQ(files.List(0), "a");
}

} // namespace
} // namespace umbrix
