// Not a test: pictures of the attribute panel for a person to look at.  A
// search lists hidden, system and plain entries; two rows picked with the
// mouse (a hidden+system file and a plain one) gray the hidden and system
// boxes; a click on the hidden box hides both, which is then read back from
// the store and printed.
// Usage: attribute_shots <folder for the PNGs>
// Run it on a real display (xvfb-run -a -s "-screen 0 1280x800x24").

#include "platform/AttributeStore.h"
#include "ShotKit.h"
#include "ui/services/Interaction.h"

#include <QCursor>
#include <QMenu>

using namespace umbrix;

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    shots::Shots shots(argc, argv);
    if (!shots.ok())
        return 2;
    const auto word = [](const std::string& path) {
        uint32_t w = 0;
        return platform::queryAttributes(path, w) == 0 ? w : 0xFFFFFFFFu;
    };
    shots.entry("Documents", 0, true);
    shots.entry("Documents/budget.xls", 0x20);
    shots.entry("Documents/letter.doc", 0x20);
    shots.entry("Documents/notes.txt", 0);
    shots.entry("boot.ini", 0x26);
    shots.entry("pagefile.sys", 0x26);
    shots.entry("photo.jpg", 0x20);

    FrmSeek window(shots.state);
    if (!shots.start(window))
        return 1;
    const ScopedMsgBoxResponder answers;
    const ScopedBeepCounter beeps;
    window.browser.chkViewAll->click();
    window.cmdSearch->click();
    QTest::qWait(300);

    // Ctrl+click on two rows, as a person picks them.
    ResultListBox& box = window.lstFoundFiles.box(0);
    const std::vector<std::string> picked = {"boot.ini", "photo.jpg"};
    for (const std::string& name : picked) {
        QTest::mouseClick(box.viewport(), Qt::LeftButton,
                          name == picked.front() ? Qt::NoModifier : Qt::ControlModifier,
                          shots::rowCentre(box, shots.rowOf(box, name)));
    }
    QTest::qWait(300);
    std::printf("rows selected: %d of %d\npanel: %s\n", box.SelCount(), box.ListCount(),
                shots::panelText(window).c_str());
    shots.save(&window, "1-mixed-selection.png");

    QTest::mouseClick(window.fraAttrib->findChild<QCheckBox*>(QStringLiteral("chkAttr1")),
                      Qt::LeftButton);
    QTest::qWait(300);
    std::printf("after a click on the hidden box: hidden=%d, caption \"%s\"\n",
                static_cast<int>(window.fraAttrib->value(1)), qPrintable(window.windowTitle()));
    for (const std::string& name : picked)
        std::printf("  on disk %-12s word 0x%x\n", name.c_str(), word(shots.tree / name));
    std::printf("  not selected: notes.txt word 0x%x\n", word(shots.tree / "Documents/notes.txt"));
    shots.save(&window, "2-hidden-checked.png");

    // The context menu of a plain row, offering what that entry has.
    const QPoint letter = shots::rowCentre(box, shots.rowOf(box, "Documents/letter.doc"));
    QTest::mouseClick(box.viewport(), Qt::LeftButton, Qt::NoModifier, letter);
    QTest::qWait(200);
    QCursor::setPos(box.viewport()->mapToGlobal(letter));
    QTest::qWait(100);
    QTest::mouseClick(box.viewport(), Qt::RightButton, Qt::NoModifier, letter);
    QTest::qWait(200);
    window.bAttribute->setActiveAction(window.bAttribute->mnuRemAttr);
    QTest::keyClick(window.bAttribute, Qt::Key_Right);
    shots.save(nullptr, "3-context-menu.png");
    window.bAttribute->close();
    std::printf("messages shown: %zu, beeps: %d\n", answers.calls().size(), beeps.count());
    return 0;
}
