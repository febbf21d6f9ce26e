// The malware shortcut check over a stick as the virus leaves it: the
// window menu's item, then the dialog with the suspects, their reasons and
// their check boxes.

#include "ShotKit.h"
#include "suspects/ShellLinkBytes.h"
#include "ui/main/SuspectsDialog.h"
#include "ui/main/WindowMenu.h"

#include <QMenu>
#include <QTimer>
#include <QTreeWidget>

using namespace umbrix;

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    shots::Shots shots(argc, argv);
    if (!shots.ok())
        return 2;
    const test::TempDir& tree = shots.tree;
    const auto lnk = [&](const std::string& name, test::ShellLinkLayout layout) {
        test::makeFile(tree / name, test::shellLinkBytes(layout));
    };
    const std::string cmd = "C:\\Windows\\System32\\cmd.exe";
    shots.entry("Photos", 0x6, true);
    shots.entry("Photos/beach.jpg", 0);
    shots.entry("Work", 0x6, true);
    shots.entry("Work/report.doc", 0);
    shots.entry("Thesis.docx", 0x6);
    shots.entry("WindowsServices", 0x6, true);
    shots.entry("WindowsServices/helper.vbs", 0x6);
    shots.entry("WindowsServices/svchost.exe", 0x2);
    shots.entry("~$WQVNX.FAT32", 0x6);
    shots.entry("autorun.inf", 0x6, false, "[autorun]\r\nopen=WindowsServices\\svchost.exe\r\n");
    shots.entry("readme.txt", 0);
    shots.entry("broken.lnk", 0, false, "L");
    lnk("Photos.lnk", {cmd, "", "", "/c start WindowsServices\\helper.vbs & start explorer Photos"});
    lnk("Work.lnk", {"E:\\WindowsServices\\svchost.exe", "", "", "Work"});
    lnk("Thesis.docx.lnk", {"C:\\Windows\\System32\\rundll32.exe", "", "",
                            "~$WQVNX.FAT32,_ldr@16 desktop.ini RET TLB \"Thesis.docx\""});

    FrmSeek window(shots.state);
    if (!shots.start(window))
        return 1;
    window.move(20, 20);
    QTest::qWait(300);
    WindowMenu& menu = *window.windowMenu;
    menu.open();
    QTimer::singleShot(400, [&] {
        menu.menu()->setActiveAction(menu.item(SystemCommand::CheckShortcuts));
        shots.save(nullptr, "suspects-menu.png", 200);
        menu.menu()->close();
    });
    QTest::qWait(900);
    // The dialog is modal: its pictures are taken from inside its own loop.
    QTimer::singleShot(800, [&] {
        auto* dialog = window.findChild<SuspectsDialog*>(QStringLiteral("suspectsDialog"));
        if (!dialog) {
            std::printf("no dialog\n");
            return;
        }
        dialog->move(window.x() + 60, window.y() + 80);
        shots.save(dialog, "suspects-dialog.png", 300);
        shots.save(nullptr, "suspects-dialog-over-window.png", 0);
        QTreeWidget& list = *dialog->list();
        for (int i = 0; i < list.topLevelItemCount(); ++i)
            std::printf("%s | %s | %s\n", qPrintable(list.topLevelItem(i)->text(0)),
                        qPrintable(list.topLevelItem(i)->text(1)),
                        list.topLevelItem(i)->checkState(0) == Qt::Checked ? "checked" : "unchecked");
        dialog->quarantineButton()->click();
        shots.save(dialog, "suspects-after-quarantine.png", 300);
        dialog->reject();
    });
    menu.choose(SystemCommand::CheckShortcuts);
    return 0;
}
