// Not a test: pictures of the attribute panel for a person to look at.  A
// search lists hidden, system and plain entries; two rows picked with the
// mouse (a hidden+system file and a plain one) gray the hidden and system
// boxes; a click on the hidden box hides both, which is then read back from
// the store and printed.
// Usage: attribute_shots <folder for the PNGs>
// Run it on a real display (xvfb-run -a -s "-screen 0 1280x800x24").

#include "app/Startup.h"
#include "platform/AttributeStore.h"
#include "settings/StoreSandbox.h"
#include "support/TempDir.h"
#include "ui/controls/DirListBox.h"
#include "ui/main/AppState.h"
#include "ui/main/FrmSeek.h"
#include "ui/services/Interaction.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <cstdio>

using namespace umbrix;

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const auto save = [folder = QString::fromLocal8Bit(argv[1])](QWidget* window,
                                                                 const char* name) {
        QTest::qWait(300);
        const QPixmap picture =
            window ? window->grab() : QGuiApplication::primaryScreen()->grabWindow(0);
        const QString file = folder + QLatin1Char('/') + QLatin1String(name);
        std::printf("%s %s\n", qPrintable(file), picture.save(file) ? "written" : "NOT written");
    };
    const auto word = [](const std::string& path) {
        uint32_t w = 0;
        return platform::queryAttributes(path, w) == 0 ? w : 0xFFFFFFFFu;
    };

    test::StoreSandbox stores;
    test::TempDir tree;
    const auto entry = [&](const std::string& name, uint32_t attributes, bool isFolder = false) {
        isFolder ? test::makeDir(tree / name) : test::makeFile(tree / name, "x");
        if (attributes)
            test::setDosAttrib(tree / name, attributes);
    };
    entry("Documents", 0, true);
    entry("Documents/budget.xls", 0x20);
    entry("Documents/letter.doc", 0x20);
    entry("Documents/notes.txt", 0);
    entry("boot.ini", 0x26);
    entry("pagefile.sys", 0x26);
    entry("photo.jpg", 0x20);

    AppState state;
    FrmSeek window(state);
    if (!startUp(window, {}))
        return 1;
    window.dirList->setPath(tree.path());
    const ScopedMsgBoxResponder answers;
    const ScopedBeepCounter beeps;
    window.chkViewAll->click();
    window.cmdSearch->click();
    QTest::qWait(300);

    // Ctrl+click on two rows, as a person picks them.
    ResultListBox& box = window.resultBox(0);
    const auto rowOf = [&](const std::string& relative) {
        for (int i = 0; i < box.ListCount(); ++i)
            if (box.ListPath(i) == tree / relative)
                return i;
        return -1;
    };
    const std::vector<std::string> picked = {"boot.ini", "photo.jpg"};
    for (const std::string& name : picked) {
        const QRect rect = box.visualRect(box.model()->index(rowOf(name), 0));
        QTest::mouseClick(box.viewport(), Qt::LeftButton,
                          name == picked.front() ? Qt::NoModifier : Qt::ControlModifier,
                          rect.center());
    }
    QTest::qWait(300);
    const char* names[] = {"read-only", "hidden", "system", "archive", "directory"};
    std::printf("rows selected: %d of %d\npanel:", box.SelCount(), box.ListCount());
    for (int i = 0; i < 5; ++i)
        std::printf(" %s=%d", names[i], window.attributeBoxValue(i));
    std::printf("   (0 unchecked, 1 checked, 2 grayed)\n");
    save(&window, "1-mixed-selection.png");

    QTest::mouseClick(window.chkAttr[1].get(), Qt::LeftButton);
    QTest::qWait(300);
    std::printf("after a click on the hidden box: hidden=%d, caption \"%s\"\n",
                window.attributeBoxValue(1), qPrintable(window.windowTitle()));
    for (const std::string& name : picked)
        std::printf("  on disk %-12s word 0x%x\n", name.c_str(), word(tree / name));
    std::printf("  not selected: notes.txt word 0x%x\n", word(tree / "Documents/notes.txt"));
    save(&window, "2-hidden-checked.png");

    // The context menu of a plain row, offering what that entry has.
    const QRect rect = box.visualRect(box.model()->index(rowOf("Documents/letter.doc"), 0));
    QTest::mouseClick(box.viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    QTest::qWait(200);
    QCursor::setPos(box.viewport()->mapToGlobal(rect.center()));
    QTest::qWait(100);
    QTest::mouseClick(box.viewport(), Qt::RightButton, Qt::NoModifier, rect.center());
    QTest::qWait(200);
    window.bAttribute->setActiveAction(window.mnuRemAttr);
    QTest::keyClick(window.bAttribute, Qt::Key_Right);
    save(nullptr, "3-context-menu.png");
    window.bAttribute->close();
    std::printf("messages shown: %zu, beeps: %d\n", answers.calls().size(), beeps.count());
    return 0;
}
