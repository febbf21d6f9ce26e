// Not a test: pictures of the lists in use, for a person to look at.  Right
// clicks on a directory and on a file of the browser view and on a result
// row open their menus; rows picked with the mouse and moved through with
// the keys show in the attribute panel and the path line.  What the panel
// and the menus hold at each step is printed beside the pictures.
// Usage: interaction_shots <folder for the PNGs>
// Run it on a real display (xvfb-run -a -s "-screen 0 1280x800x24").

#include "ui/controls/FileListBox.h"
#include "ShotKit.h"
#include "ui/services/Interaction.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

using namespace umbrix;

namespace {

using shots::panelText;
using shots::rowCentre;

std::string menuText(const FrmSeek& window)
{
    std::string text;
    for (QAction* item : window.bAttribute->actions()) {
        if (!item->isVisible())
            continue;
        text += item->isSeparator() ? std::string("|") : item->text().toStdString();
        if (item->isCheckable() && item->isChecked())
            text += "[checked]";
        if (!item->isEnabled())
            text += "[disabled]";
        text += " ";
    }
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    shots::Shots shots(argc, argv);
    if (!shots.ok())
        return 2;
    const auto save = [&](const char* name) { shots.save(nullptr, name, 400); };
    shots.entry("Program Files", 0x4, true);
    shots.entry("Recycled", 0x6, true);
    shots.entry("Recycled/desktop.ini", 0x6);
    shots.entry("autoexec.bat", 0x20);
    shots.entry("boot.ini", 0x27);
    shots.entry("notes.txt", 0x2);
    for (int i = 0; i < 40; ++i)
        shots.entry("Recycled/D" + std::to_string(100 + i) + ".tmp", i % 3 ? 0x22 : 0x23);

    FrmSeek window(shots.state);
    if (!shots.start(window))
        return 1;
    window.move(40, 40);
    const ScopedMsgBoxResponder answers;
    const ScopedBeepCounter beeps;
    QTest::qWait(300);

    // A right press at a point of a list, with the pointer there, as a hand
    // puts it.
    const auto rightClick = [](QAbstractItemView& view, const QPoint& at) {
        QCursor::setPos(view.viewport()->mapToGlobal(at));
        QTest::qWait(100);
        QTest::mouseClick(view.viewport(), Qt::RightButton, {}, at);
    };

    // The directory list: "Recycled" highlighted, then a right click on it.
    DirListBox& dirs = *window.browser.dirList.get();
    dirs.setListIndex(1);
    const int recycledRow = dirs.model()->rowCount() - 1;
    rightClick(dirs, rowCentre(dirs, recycledRow));
    std::printf("directory %s: menu open %d, items: %s\n  panel: %s\n",
                dirs.List(dirs.ListIndex()).c_str(), window.bAttribute->isVisible(),
                menuText(window).c_str(), panelText(window).c_str());
    save("1-directory-menu.png");
    window.bAttribute->hide();

    // The file list: a left click picks boot.ini, a right click opens its menu.
    FileListBox& files = *window.browser.filList.get();
    int bootRow = 0;
    for (int i = 0; i < files.ListCount(); ++i)
        if (files.List(i) == "boot.ini")
            bootRow = i;
    QTest::mouseClick(files.viewport(), Qt::LeftButton, {}, rowCentre(files, bootRow));
    rightClick(files, rowCentre(files, bootRow));
    std::printf("file %s: menu open %d, items: %s\n  panel: %s\n",
                files.List(files.ListIndex()).c_str(), window.bAttribute->isVisible(),
                menuText(window).c_str(), panelText(window).c_str());
    save("2-file-menu.png");
    window.bAttribute->hide();

    // A search lists everything; rows picked with the mouse.  Search opens
    // a folder highlighted in the directory list before it searches, so the
    // open folder is highlighted and Search pressed twice.
    dirs.setListIndex(-1);
    window.browser.chkViewAll->click();
    window.cmdSearch->click();
    window.cmdSearch->click();
    QTest::qWait(300);
    ResultListBox& box = window.lstFoundFiles.box(0);
    box.resultModel().commit();
    const auto rowOf = [&](const std::string& relative) { return shots.rowOf(box, relative); };
    QTest::mouseClick(box.viewport(), Qt::LeftButton, {}, rowCentre(box, rowOf("boot.ini")));
    QTest::qWait(200);
    std::printf("clicked boot.ini: path line \"%s\"\n  panel: %s\n",
                qPrintable(window.txtTip->text()), panelText(window).c_str());
    save("3-row-clicked.png");

    QTest::mouseClick(box.viewport(), Qt::LeftButton, Qt::ControlModifier,
                      rowCentre(box, rowOf("notes.txt")));
    QTest::mouseClick(box.viewport(), Qt::LeftButton, Qt::ControlModifier,
                      rowCentre(box, rowOf("Recycled")));
    QTest::qWait(200);
    std::printf("Ctrl+clicked notes.txt and Recycled: %d rows selected\n  panel: %s\n",
                box.SelCount(), panelText(window).c_str());
    save("4-three-rows-picked.png");

    // A right click on a fourth row adds it and opens the menu.
    rightClick(box, rowCentre(box, rowOf("autoexec.bat")));
    std::printf("right click on autoexec.bat: %d rows selected, menu: %s\n  panel: %s\n",
                box.SelCount(), menuText(window).c_str(), panelText(window).c_str());
    save("5-result-menu.png");
    window.bAttribute->hide();

    // The keys: Down twice from autoexec.bat, then Page Down.
    box.setFocus();
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_PageDown}) {
        QTest::keyClick(&box, key);
        QTest::qWait(100);
        std::printf("key %s: %d row selected, path line \"%s\"\n  panel: %s\n",
                    key == Qt::Key_Down ? "Down" : "Page Down", box.SelCount(),
                    qPrintable(window.txtTip->text()), panelText(window).c_str());
    }
    save("6-after-keys.png");

    // The menu key: the menu at the pointer, Select All offered.
    QCursor::setPos(box.viewport()->mapToGlobal(QPoint(box.viewport()->width() / 2, 60)));
    QTest::keyClick(&box, Qt::Key_Menu);
    std::printf("menu key: menu open %d, items: %s\n", window.bAttribute->isVisible(),
                menuText(window).c_str());
    save("7-menu-key.png");
    window.bAttribute->hide();
    window.bAttribute->mnuSelectAll->trigger();
    QTest::qWait(200);
    std::printf("Select All: %d of %d rows selected\n  panel: %s\n", box.SelCount(),
                box.ListCount(), panelText(window).c_str());
    save("8-select-all.png");
    std::printf("messages shown: %zu, beeps: %d\n", answers.calls().size(), beeps.count());
    return 0;
}
