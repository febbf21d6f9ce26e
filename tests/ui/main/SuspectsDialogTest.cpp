#include "suspects/ShellLinkBytes.h"
#include "ui/main/MainWindowFixture.h"
#include "ui/main/SuspectsDialog.h"

#include <QPushButton>
#include <QTreeWidget>

namespace umbrix {
namespace {

class SuspectsDialogTest : public test::MainWindowFixture {};

// The open folder's suspects with their reasons, the sure ones checked;
// Quarantine moves the checked rows only; a move that fails is named and its
// entry stays.
TEST_F(SuspectsDialogTest, ListsChecksAndQuarantinesTheCheckedOnes)
{
    folder("Photos", 0x6);
    test::makeFile(at("Photos.lnk"), test::shellLinkBytes({"C:\\Windows\\System32\\wscript.exe", "", "",
                                                      "x.vbs"}));
    file("x.vbs", 0x6);
    file("broken.lnk");
    file("autorun.inf");
    SuspectsDialog dialog(*window, tree.path());
    ASSERT_TRUE(dialog.search());
    QTreeWidget& list = *dialog.list();
    ASSERT_EQ(list.topLevelItemCount(), 3);
    const std::pair<const char*, Qt::CheckState> rows[] = {
        {"Photos.lnk", Qt::Checked}, {"broken.lnk", Qt::Unchecked}, {"x.vbs", Qt::Checked}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(list.topLevelItem(i)->text(0).toStdString(), rows[i].first);
        EXPECT_EQ(list.topLevelItem(i)->checkState(0), rows[i].second);
    }
    EXPECT_EQ(list.topLevelItem(0)->text(1).toStdString(),
              "shortcut that starts wscript, beside a hidden folder of its name");
    EXPECT_TRUE(dialog.quarantineButton()->isEnabled());

    list.topLevelItem(2)->setCheckState(0, Qt::Unchecked);
    dialog.quarantineButton()->click();
    EXPECT_TRUE(test::exists(at("Umbrix quarantine/Photos.lnk")));
    EXPECT_TRUE(test::exists(at("x.vbs")));
    ASSERT_EQ(list.topLevelItemCount(), 2);
    EXPECT_FALSE(dialog.quarantineButton()->isEnabled());

    // The quarantine folder became a file meanwhile: the move fails, the
    // entry stays.
    ASSERT_EQ(::rename(at("Umbrix quarantine").c_str(), at("elsewhere").c_str()), 0);
    file("Umbrix quarantine");
    list.topLevelItem(1)->setCheckState(0, Qt::Checked);
    EXPECT_EQ(dialog.quarantineChecked(), 0);
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_TRUE(messages.calls()[0].prompt.contains(QStringLiteral("x.vbs")));
    EXPECT_TRUE(test::exists(at("x.vbs")));
}

} // namespace
} // namespace umbrix
