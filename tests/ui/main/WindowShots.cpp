// Not a test: takes pictures of the main window in its three states, for a
// person to look at.  Usage: window_shots <folder for the PNGs>
// Run it on a real display (xvfb-run -a -s "-screen 0 1280x800x24").

#include "app/AppState.h"
#include "app/Interaction.h"
#include "app/Startup.h"
#include "settings/StoreSandbox.h"
#include "support/TempDir.h"
#include "ui/controls/DirListBox.h"
#include "ui/main/FrmSeek.h"

#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include <cstdio>
#include <string>

using namespace umbrix;

namespace {

void shoot(QWidget& window, const QString& file)
{
    QApplication::processEvents();
    const QPixmap picture = window.grab();
    if (!picture.save(file))
        std::fprintf(stderr, "could not write %s\n", qPrintable(file));
    else
        std::printf("%s %dx%d\n", qPrintable(file), picture.width(), picture.height());
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);

    // Start-up reads the settings; these pictures do not depend on the user's.
    test::StoreSandbox stores;
    test::TempDir tree;
    test::makeDir(tree / "Documents");
    test::makeDir(tree / "Documents/.cache");
    test::setDosAttrib(tree / "Documents/.cache", 0x2);
    for (int i = 0; i < 40; ++i) {
        const std::string name = tree / ("Documents/report-" + std::to_string(i) + ".txt");
        test::makeFile(name, "x");
        test::setDosAttrib(name, i % 3 == 0 ? 0x2 : (i % 3 == 1 ? 0x4 : 0x20));
    }
    test::makeFile(tree / "boot.ini", "x");
    test::setDosAttrib(tree / "boot.ini", 0x6);
    test::makeFile(tree / "pagefile.sys", "x");
    test::setDosAttrib(tree / "pagefile.sys", 0x4);
    test::makeFile(tree / "na\xefve-\xff.dat", "x");
    test::setDosAttrib(tree / "na\xefve-\xff.dat", 0x2);

    FrmSeek window;
    if (!startUp(window, "/timeout:0.01"))
        return 1;
    window.dirList->setPath(tree.path());
    shoot(window, out + QStringLiteral("/1-browser.png"));

    bool shot = false;
    ScopedDoEventsHook hook([&] {
        if (!shot && app().ScannedCount >= 70) {
            shot = true;
            shoot(window, out + QStringLiteral("/2-searching.png"));
        }
    });
    ScopedMsgBoxResponder answers([](const MsgBoxCall& call) {
        std::printf("message: \"%s\" title \"%s\" style %d\n", qPrintable(call.prompt), qPrintable(call.title),
                    call.buttons);
        return MsgBoxAnswer::OK;
    });
    ScopedBeepCounter beeps;
    window.cmdSearch->click();
    shoot(window, out + QStringLiteral("/3-results.png"));
    {
        window.chkAttr[1]->setCheckState(Qt::PartiallyChecked);
        window.chkAttr[2]->setCheckState(Qt::Checked);
        window.chkAttr[4]->setCheckState(Qt::Checked);
        const QPixmap panel = window.fraAttrib->grab();
        panel.scaled(panel.size() * 3).save(out + QStringLiteral("/3a-attribute-panel-x3.png"));
    }
    // Without a window manager nothing maximizes; a screen-sized window
    // shows the same arrangement.
    window.resize(window.screen()->availableGeometry().size());
    QTest::qWait(300);
    window.resultBox(0).setSelected(1, true);
    window.resultBox(0).setSelected(2, true);
    window.resultBox(0).setListIndex(2);
    shoot(window, out + QStringLiteral("/4-results-large.png"));
    window.cmdSearch->click();
    QTest::qWait(100);
    shoot(window, out + QStringLiteral("/5-after-reset.png"));
    std::printf("beeps %d, rows %d\n", beeps.count(), window.resultBox(0).ListCount());
    return 0;
}
