#include "search/SearchSpecBox.h"
#include "ui/controls/DriveListBox.h"
#include "ui/controls/FileListBox.h"
#include "ui/main/MainWindowFixture.h"

#include <QTest>

namespace umbrix {
namespace {

using test::MainWindowFixture;

class SearchSpecBox : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        folder("logs");
        file("logs/a.txt");
        file("logs/b.doc");
        file("top.txt");
        window->dirList->refresh();
        window->filList->refresh();
    }

    void typeAndEnter(const std::string& text)
    {
        QLineEdit* box = window->txtSearchSpec.get();
        box->setFocus();
        app().Busy = true;
        box->clear();
        app().Busy = false;
        QTest::keyClicks(box, QString::fromStdString(text));
        QTest::keyClick(box, Qt::Key_Return);
    }

    std::vector<std::string> files() const
    {
        std::vector<std::string> names;
        for (int i = 0; i < window->filList->ListCount(); ++i)
            names.push_back(window->filList->List(i));
        return names;
    }
};

TEST_F(SearchSpecBox, TypingAPatternFiltersTheFileListAtEveryStep)
{
    QLineEdit* box = window->txtSearchSpec.get();
    box->selectAll();
    QTest::keyClicks(box, QStringLiteral("*.t"));
    EXPECT_EQ(window->filList->Pattern(), "*.t");
    EXPECT_TRUE(files().empty());
    QTest::keyClicks(box, QStringLiteral("xt"));
    EXPECT_EQ(window->filList->Pattern(), "*.txt");
    EXPECT_EQ(files(), std::vector<std::string>{"top.txt"});
    EXPECT_TRUE(messages.calls().empty());
}

TEST_F(SearchSpecBox, EnterOnAFolderOpensItAndLeavesAllFiles)
{
    typeAndEnter(at("logs"));
    EXPECT_EQ(window->dirList->Path(), at("logs"));
    EXPECT_EQ(window->filList->Path(), at("logs"));
    EXPECT_EQ(window->txtSearchSpec->text(), QStringLiteral("*.*"));
    EXPECT_EQ(window->filList->Pattern(), "*.*");
    EXPECT_EQ(files(), (std::vector<std::string>{"a.txt", "b.doc"}));
    EXPECT_EQ(app().CurrentPath, at("logs"));
}

TEST_F(SearchSpecBox, EnterOnAPathWithAPatternKeepsOnlyThePattern)
{
    typeAndEnter(at("logs/*.doc"));
    EXPECT_EQ(window->dirList->Path(), at("logs"));
    EXPECT_EQ(window->txtSearchSpec->text(), QStringLiteral("*.doc"));
    EXPECT_EQ(window->filList->Pattern(), "*.doc");
    EXPECT_EQ(files(), std::vector<std::string>{"b.doc"});
}

TEST_F(SearchSpecBox, EnterOnTheRootSwitchesTheDriveListToIt)
{
    typeAndEnter("/");
    EXPECT_EQ(window->dirList->Path(), "/");
    EXPECT_EQ(window->drvList->DriveRoot(), "/");
    EXPECT_EQ(window->txtSearchSpec->text(), QStringLiteral("*.*"));
}

TEST_F(SearchSpecBox, AFolderThatCannotBeOpenedFallsBackToTheCurrentDirectory)
{
    std::string folder = at("missing");
    std::string fileName = "*.txt";
    bool ok = true;
    GoToSearchPath(*window, folder, fileName, ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(folder, tree.path()) << "the current directory stood in";
    EXPECT_EQ(window->dirList->Path(), tree.path());
    EXPECT_EQ(window->txtSearchSpec->text(), QStringLiteral("*.txt"));

    std::string none;
    std::string name;
    GoToSearchPath(*window, none, name, ok);
    EXPECT_FALSE(ok);
}

TEST_F(SearchSpecBox, APatternTheFileListRejectsIsReportedAndTheOldOneComesBack)
{
    QLineEdit* box = window->txtSearchSpec.get();
    box->setText(QStringLiteral("*.txt"));
    ASSERT_EQ(window->filList->Pattern(), "*.txt");

    box->setText(QStringLiteral("bad") + QChar(0));

    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_EQ(messages.calls()[0].prompt, QStringLiteral("Not valid search criteria."));
    EXPECT_EQ(messages.calls()[0].buttons, MsgBoxStyle::Critical);
    EXPECT_EQ(messages.calls()[0].title, QStringLiteral("Umbrix"));
    EXPECT_EQ(box->text(), QStringLiteral("*.txt"));
    EXPECT_EQ(window->filList->Pattern(), "*.txt");
    EXPECT_EQ(window->dirList->Path(), tree.path());
}

TEST_F(SearchSpecBox, TheFocusSelectsTheWholeText)
{
    window->cmdSearch->setFocus();
    window->txtSearchSpec->setText(QStringLiteral("*.log"));
    window->txtSearchSpec->deselect();
    window->txtSearchSpec->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->txtSearchSpec->hasFocus(); }));
    EXPECT_EQ(window->txtSearchSpec->selectedText(), QStringLiteral("*.log"));
}

} // namespace
} // namespace umbrix
