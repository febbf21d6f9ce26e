#include "ControlTestSupport.h"

#include "platform/Error.h"
#include "support/TempDir.h"
#include "ui/controls/FileListBox.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace umbrix {
namespace {

using test::makeDir;
using test::makeFile;

class FileListBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"b.txt", "A.doc", "c.TXT", "noext", ".profile", "file10.log", "file9.log"})
            makeFile(tmp / name);
        makeFile(tmp / "hidden.dat");
        test::setDosAttrib(tmp / "hidden.dat", 2);
        makeFile(tmp / "system.dat");
        test::setDosAttrib(tmp / "system.dat", 4);
        makeDir(tmp / "folder.txt");
        ASSERT_EQ(::symlink((tmp / "b.txt").c_str(), (tmp / "tofile").c_str()), 0);
        ASSERT_EQ(::symlink(tmp.path().c_str(), (tmp / "todir").c_str()), 0);
        ASSERT_EQ(::symlink((tmp / "gone").c_str(), (tmp / "dangling").c_str()), 0);
        ASSERT_EQ(::mkfifo((tmp / "pipe").c_str(), 0644), 0);
        list.setPath(tmp.path());
    }

    std::vector<std::string> names() const
    {
        std::vector<std::string> all;
        for (int i = 0; i < list.ListCount(); ++i)
            all.push_back(list.List(i));
        return all;
    }

    test::TempDir tmp;
    FileListBox list;
};

TEST_F(FileListBoxTest, ListsEveryNonDirectoryInReadingOrder)
{
    EXPECT_EQ(list.Path(), tmp.path());
    EXPECT_EQ(list.Pattern(), "*.*");
    EXPECT_EQ(list.ListIndex(), -1);
    const std::vector<std::string> expected{".profile", "A.doc",      "b.txt", "c.TXT",   "dangling",  "file9.log",
                                            "file10.log", "hidden.dat", "noext", "pipe", "system.dat", "tofile"};
    EXPECT_EQ(names(), expected);
    EXPECT_EQ(list.List(-1), "");
    EXPECT_EQ(list.List(list.ListCount()), "");
}

TEST_F(FileListBoxTest, PatternsFollowTheWindowsRulesAndSemicolonLists)
{
    list.setPattern("*.txt");
    EXPECT_EQ(names(), (std::vector<std::string>{"b.txt", "c.TXT"}));
    list.setPattern("*.txt;*.DOC");
    EXPECT_EQ(names(), (std::vector<std::string>{"A.doc", "b.txt", "c.TXT"}));
    list.setPattern(" *.doc ; ;?.txt;");
    EXPECT_EQ(names(), (std::vector<std::string>{"A.doc", "b.txt", "c.TXT"}));
    list.setPattern("file?.log");
    EXPECT_EQ(names(), (std::vector<std::string>{"file9.log"}));
    list.setPattern("*dat");
    EXPECT_EQ(names(), (std::vector<std::string>{"hidden.dat", "system.dat"}));
    list.setPattern("nothing-like-this");
    EXPECT_EQ(list.ListCount(), 0);
    list.setPattern("");
    EXPECT_EQ(list.ListCount(), 12);
}

TEST_F(FileListBoxTest, RejectedPatternKeepsTheOldOne)
{
    list.setPattern("*.txt");
    list.setListIndex(1);
    for (const std::string& bad : {std::string("sub/*.txt"), std::string("/"), std::string("a\0b", 3)}) {
        try {
            list.setPattern(bad);
            ADD_FAILURE() << "pattern accepted";
        } catch (const Error& e) {
            EXPECT_EQ(e.number, 380);
            EXPECT_EQ(e.description, "Invalid property value");
        }
        EXPECT_EQ(list.Pattern(), "*.txt");
        EXPECT_EQ(names(), (std::vector<std::string>{"b.txt", "c.TXT"}));
        EXPECT_EQ(list.ListIndex(), 1);
    }
}

TEST_F(FileListBoxTest, SamePathRereadsAndMissingPathKeepsTheList)
{
    list.setListIndex(3);
    makeFile(tmp / "late.txt");
    list.setPath(tmp.path() + "/");
    EXPECT_EQ(list.ListCount(), 13);
    EXPECT_EQ(list.ListIndex(), -1);

    for (const std::string& bad : {tmp / "missing", tmp / "b.txt"}) {
        try {
            list.setPath(bad);
            ADD_FAILURE() << bad << " opened";
        } catch (const Error& e) {
            EXPECT_EQ(e.number, ErrorNumber::PathNotFound);
        }
        EXPECT_EQ(list.Path(), tmp.path());
        EXPECT_EQ(list.ListCount(), 13);
    }

    ::unlink((tmp / "late.txt").c_str());
    list.refresh();
    EXPECT_EQ(list.ListCount(), 12);
}

TEST_F(FileListBoxTest, HighlightByClickAndIndex)
{
    test::showAndWait(list);
    QSignalSpy clicks(&list, &FileListBox::Click);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, test::rowCentre(list, 2));
    EXPECT_EQ(list.ListIndex(), 2);
    EXPECT_EQ(clicks.count(), 1);

    QTest::mousePress(list.viewport(), Qt::RightButton, {}, test::rowCentre(list, 5));
    EXPECT_EQ(list.ListIndex(), 2);

    list.setListIndex(-1);
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_THROW(list.setListIndex(12), Error);
    EXPECT_THROW(list.setListIndex(-2), Error);
}

TEST(FileListBoxNames, NamesThatAreNotUtf8StayExact)
{
    test::TempDir tmp;
    const std::string odd = "r\xE9sum\xE9.txt";
    makeFile(tmp / odd);
    makeFile(tmp / "plain.txt");
    FileListBox list;
    list.setPath(tmp.path());
    list.setPattern("*.txt");
    const int row = test::rowWithBytes(list, odd);
    ASSERT_GE(row, 0);
    EXPECT_EQ(list.List(row), odd);
    EXPECT_EQ(test::rowText(list, row), QStringLiteral("r\\xE9sum\\xE9.txt"));
    // "?" stands for one byte where the name is not UTF-8.
    list.setPattern("r?sum?.txt");
    EXPECT_EQ(list.ListCount(), 1);
}

TEST(FileListBoxScale, TenThousandFilesFillQuickly)
{
    test::TempDir tmp;
    for (int i = 0; i < 10000; ++i)
        makeFile(tmp / ("f" + std::to_string(i) + ".bin"));
    FileListBox list;
    QElapsedTimer timer;
    timer.start();
    list.setPath(tmp.path());
    EXPECT_LT(timer.elapsed(), 1000);
    ASSERT_EQ(list.ListCount(), 10000);
    EXPECT_EQ(list.List(9999), "f9999.bin");
}

} // namespace
} // namespace umbrix
