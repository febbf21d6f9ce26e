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
using test::makeTree;
using Names = std::vector<std::string>;

// Row of the list whose exact bytes are `bytes`, -1 when none.
int rowWithBytes(const QAbstractItemView& view, const std::string& bytes)
{
    const QAbstractItemModel& model = *view.model();
    for (int row = 0; row < model.rowCount(); ++row)
        if (model.index(row, 0).data(NameRowModel::BytesRole).toByteArray().toStdString() == bytes)
            return row;
    return -1;
}

QString rowText(const QAbstractItemView& view, int row)
{
    return view.model()->index(row, 0).data(Qt::DisplayRole).toString();
}

QPoint rowCentre(const QAbstractItemView& view, int row)
{
    return view.visualRect(view.model()->index(row, 0)).center();
}

template <typename Action> void expectError(Action action, int number)
{
    const Error e = test::errorOf(action);
    EXPECT_EQ(e.number, number);
    EXPECT_FALSE(e.description.empty());
}

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

// The file list holds every entry that is no folder, the directory list
// the chain and the subfolders, each addressed by ListIndex.
TEST_F(FolderListsTest, BothListsHoldTheirEntriesInReadingOrder)
{
    EXPECT_EQ(files.ListIndex(), -1);
    EXPECT_EQ(fileNames(),
              (Names{".profile", "A.doc", "b.txt", "c.TXT", "dangling", "file9.log", "file10.log",
                     "hidden.dat", "noext", "pipe", "system.dat", "tofile"}));
    EXPECT_EQ(files.List(-1), "");
    EXPECT_EQ(files.List(12), "");
    EXPECT_EQ(dirs.Path(), b);
    EXPECT_EQ(dirs.ListIndex(), -1);
    // Subdirectories only, hidden and linked ones included, in reading order.
    Names subdirs;
    for (int i = 0; i < dirs.ListCount(); ++i)
        subdirs.push_back(dirs.List(i));
    EXPECT_EQ(subdirs, (Names{b + "/.hidden", b + "/alpha", b + "/Beta", b + "/folder.txt",
                              b + "/lnk", b + "/Zeta"}));
    // The open directory, then its ancestors nearest first, up to "/".
    EXPECT_EQ(dirs.List(-1), b);
    EXPECT_EQ(dirs.List(-2), tmp / "a");
    EXPECT_EQ(dirs.List(-3), tmp.path());
    int top = -3;
    while (!dirs.List(top - 1).empty())
        --top;
    EXPECT_EQ(dirs.List(top), "/");
    EXPECT_EQ(dirs.List(6), "");
    // Rows: ancestors, the open directory, subdirectories, each by its own name.
    EXPECT_EQ(dirs.model()->rowCount(), -top + 6);
    EXPECT_EQ(rowText(dirs, 0), QStringLiteral("/"));
    EXPECT_EQ(rowText(dirs, rowWithBytes(dirs, b)), QStringLiteral("b"));
    EXPECT_EQ(rowText(dirs, rowWithBytes(dirs, b + "/Beta")), QStringLiteral("Beta"));
}

TEST_F(FolderListsTest, PatternsFollowTheWindowsRulesAndSemicolonLists)
{
    const std::pair<std::string, Names> cases[] = {
        {"*.txt", {"b.txt", "c.TXT"}},
        {"*.txt;*.DOC", {"A.doc", "b.txt", "c.TXT"}},
        {" *.doc ; ;?.txt;", {"A.doc", "b.txt", "c.TXT"}},
        {"file?.log", {"file9.log"}},
        {"*dat", {"hidden.dat", "system.dat"}},
        {"nothing-like-this", {}}};
    for (const auto& [pattern, expected] : cases) {
        files.setPattern(pattern);
        EXPECT_EQ(fileNames(), expected) << pattern;
    }
    files.setPattern("");
    EXPECT_EQ(files.ListCount(), 12);

    files.setPattern("*.txt");
    files.setListIndex(1);
    for (const std::string& bad :
         {std::string("sub/*.txt"), std::string("/"), std::string("a\0b", 3)}) {
        expectError([&] { files.setPattern(bad); }, ErrorNumber::InvalidPropertyValue);
        EXPECT_EQ(files.Pattern(), "*.txt");
        EXPECT_EQ(fileNames(), (Names{"b.txt", "c.TXT"}));
        EXPECT_EQ(files.ListIndex(), 1);
    }
}

TEST_F(FolderListsTest, ClickHighlightsAndDoubleClickOrEnterOpens)
{
    dirs.resize(300, 600);
    dirs.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dirs));
    QSignalSpy clicks(&dirs, &DirListBox::Click);
    QSignalSpy changes(&dirs, &DirListBox::Change);
    QSignalSpy presses(&dirs, &DirListBox::MouseDown);

    QTest::mouseClick(dirs.viewport(), Qt::LeftButton, {},
                      rowCentre(dirs, rowWithBytes(dirs, b + "/Beta")));
    EXPECT_EQ(dirs.ListIndex(), 2);
    EXPECT_EQ(clicks.count(), 1);
    // A right click reports itself but leaves the highlight, so a menu acts
    // on the entry chosen before.
    QTest::mouseClick(dirs.viewport(), Qt::RightButton, Qt::ControlModifier,
                      rowCentre(dirs, rowWithBytes(dirs, b + "/Zeta")));
    ASSERT_EQ(presses.count(), 2);
    EXPECT_EQ(presses[1][0].value<Qt::MouseButton>(), Qt::RightButton);
    EXPECT_EQ(presses[1][1].value<Qt::KeyboardModifiers>(), Qt::ControlModifier);
    EXPECT_EQ(dirs.ListIndex(), 2);
    // The program highlights too, without opening; outside the chain it may not.
    dirs.setListIndex(-2);
    EXPECT_EQ(clicks.count(), 2);
    for (const int outside : {6, -100})
        expectError([&] { dirs.setListIndex(outside); }, ErrorNumber::InvalidPropertyValue);
    EXPECT_EQ(dirs.ListIndex(), -2);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(dirs.Path(), b);

    QTest::mouseDClick(dirs.viewport(), Qt::LeftButton, {},
                       rowCentre(dirs, rowWithBytes(dirs, b + "/alpha")));
    EXPECT_EQ(dirs.Path(), b + "/alpha");
    EXPECT_EQ(dirs.ListIndex(), -1);
    EXPECT_EQ(changes.count(), 1);
    dirs.setFocus();
    QTest::keyClick(&dirs, Qt::Key_Up);
    EXPECT_EQ(dirs.ListIndex(), -2);
    QTest::keyClick(&dirs, Qt::Key_Return);
    EXPECT_EQ(dirs.Path(), b);
    EXPECT_EQ(changes.count(), 2);

    // The file list shares the mouse handling; its index is the row itself.
    QSignalSpy fileClicks(&files, &FileListBox::Click);
    files.setListIndex(2);
    EXPECT_EQ(files.ListIndex(), 2);
    files.setListIndex(-1);
    EXPECT_EQ(fileClicks.count(), 2);
    for (const int outside : {12, -2})
        expectError([&] { files.setListIndex(outside); }, ErrorNumber::InvalidPropertyValue);
}

TEST_F(FolderListsTest, AFolderThatCannotBeReadKeepsBothListsAsTheyWere)
{
    QSignalSpy changes(&dirs, &DirListBox::Change);
    dirs.setListIndex(3);
    files.setListIndex(4);
    const int dirRows = dirs.model()->rowCount();
    const auto expectKept = [&](const std::string& path, int number) {
        SCOPED_TRACE(path);
        expectError([&] { dirs.setPath(path); }, number);
        expectError([&] { files.setPath(path); }, number);
        EXPECT_EQ(dirs.Path(), b);
        EXPECT_EQ(dirs.ListIndex(), 3);
        EXPECT_EQ(dirs.model()->rowCount(), dirRows);
        EXPECT_EQ(files.Path(), b);
        EXPECT_EQ(files.ListCount(), 12);
        EXPECT_EQ(files.ListIndex(), 4);
    };
    for (const std::string& notAFolder : {tmp / "missing", b + "/b.txt", std::string()})
        expectKept(notAFolder, ErrorNumber::PathNotFound);
    platform::ScopedFaultHook denied([&](platform::FaultPoint point, std::string_view path) {
        return point == platform::FaultPoint::OpenDirectory && path == b + "/Zeta" ? EACCES : 0;
    });
    expectKept(b + "/Zeta", ErrorNumber::PathFileAccess);

    // Opened by the user, the failure is reported in a box.
    ScopedMsgBoxResponder boxes;
    dirs.setListIndex(5);
    dirs.setFocus();
    QTest::keyClick(&dirs, Qt::Key_Enter);
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].buttons, MsgBoxStyle::Exclamation);
    EXPECT_EQ(boxes.calls()[0].title, QStringLiteral("Umbrix"));
    EXPECT_EQ(dirs.Path(), b);
    EXPECT_EQ(dirs.ListIndex(), 5);
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(FolderListsTest, PathsResolveByNameAndTheSamePathRereadsQuietly)
{
    QSignalSpy changes(&dirs, &DirListBox::Change);
    dirs.setPath(b + "/./alpha/../alpha//inner/..");
    EXPECT_EQ(dirs.Path(), b + "/alpha");
    EXPECT_EQ(changes.count(), 1);
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    dirs.setPath("alpha/..");
    EXPECT_EQ(dirs.Path(), cwd);
    // Opening a link keeps the link's own path in the chain.
    dirs.setPath(b + "/lnk");
    EXPECT_EQ(dirs.Path(), b + "/lnk");
    EXPECT_EQ(dirs.List(-2), b);
    EXPECT_EQ(dirs.List(0), b + "/lnk/b");

    dirs.setPath(b);
    changes.clear();
    makeDir(b + "/new");
    makeFile(b + "/late.txt");
    dirs.setListIndex(2);
    dirs.refresh();
    EXPECT_EQ(dirs.ListCount(), 7);
    EXPECT_EQ(dirs.ListIndex(), 2);
    dirs.setPath(b);
    EXPECT_EQ(dirs.ListIndex(), -1);
    EXPECT_EQ(changes.count(), 0);
    files.setListIndex(3);
    files.setPath(b + "/");
    EXPECT_EQ(files.ListCount(), 13);
    EXPECT_EQ(files.ListIndex(), -1);
    ::unlink((b + "/late.txt").c_str());
    files.refresh();
    EXPECT_EQ(files.ListCount(), 12);
}

TEST_F(FolderListsTest, NamesThatAreNotUtf8AreShownVisiblyAndKeptExact)
{
    const std::string folder = b + "/caf\xE9";
    const std::string file = "r\xE9sum\xE9.txt";
    makeDir(folder);
    makeFile(b + "/" + file);
    dirs.refresh();
    const int dirRow = rowWithBytes(dirs, folder);
    ASSERT_GE(dirRow, 0);
    EXPECT_EQ(rowText(dirs, dirRow), QStringLiteral("caf\\xE9"));
    dirs.setPath(folder);
    EXPECT_EQ(dirs.Path(), folder);

    files.setPattern("*.txt");
    const int fileRow = rowWithBytes(files, file);
    ASSERT_GE(fileRow, 0);
    EXPECT_EQ(files.List(fileRow), file);
    EXPECT_EQ(rowText(files, fileRow), QStringLiteral("r\\xE9sum\\xE9.txt"));
    // "?" stands for one byte where the name is not UTF-8.
    files.setPattern("r?sum?.txt");
    EXPECT_EQ(fileNames(), Names{file});
}

// A folder larger than a round is read and ordered between the window's
// events; whoever asks for the rows meanwhile gets them complete.
TEST(FolderListsScale, ALargeFolderFillsInRoundsWhileTheWindowAnswers)
{
    test::TempDir tmp;
    Names expected;
    for (int i = 0; i < 300; ++i) {
        makeFile(tmp / ("f" + std::to_string(i) + ".bin"));
        expected.push_back("f" + std::to_string(i) + ".bin");
    }
    // Texts equal but for case fall back to their bytes.
    for (const char* name : {"same.bin", "Same.bin"})
        makeFile(tmp / name);
    expected.insert(expected.end(), {"Same.bin", "same.bin"});
    for (int i = 0; i < 40; ++i)
        makeDir(tmp / ("d" + std::to_string(39 - i)));
    makeTree(tmp.path(), {"small/", "small/b", "small/a"});

    DirListBox dirs;
    dirs.setPath(tmp.path());
    ASSERT_EQ(dirs.ListCount(), 41);
    EXPECT_EQ(dirs.List(0), tmp / "d0");
    EXPECT_EQ(dirs.List(39), tmp / "d39");

    FileListBox files;
    files.setRoundSize(16);
    files.setPath(tmp.path());
    EXPECT_TRUE(files.filling());
    EXPECT_EQ(files.model()->rowCount(), 0);
    int rowsWhenAnswered = -1;
    QMetaObject::invokeMethod(
        &files, [&] { rowsWhenAnswered = files.model()->rowCount(); }, Qt::QueuedConnection);
    int rounds = 0;
    for (; files.filling() && rounds < 10000; ++rounds)
        QCoreApplication::processEvents();
    EXPECT_EQ(rowsWhenAnswered, 0);
    EXPECT_GT(rounds, 20);
    ASSERT_FALSE(files.filling());
    Names shown;
    for (int row = 0; row < files.model()->rowCount(); ++row)
        shown.push_back(
            files.model()->index(row, 0).data(NameRowModel::BytesRole).toByteArray().toStdString());
    EXPECT_EQ(shown, expected);

    // Asked for mid-way, the rows are completed there and then.
    files.setPattern("f1*");
    EXPECT_TRUE(files.filling());
    ASSERT_EQ(files.ListCount(), 111);
    EXPECT_FALSE(files.filling());
    EXPECT_EQ(files.List(0), "f1.bin");
    EXPECT_EQ(files.List(10), "f19.bin");
    EXPECT_EQ(files.List(11), "f100.bin");

    // A folder opened before the last is filled replaces it for good.
    files.setPattern("*");
    EXPECT_TRUE(files.filling());
    files.setPath(tmp / "small");
    for (int i = 0; i < 100; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(files.model()->rowCount(), 2);
    EXPECT_EQ(files.List(0), "a");
}

} // namespace
} // namespace umbrix
