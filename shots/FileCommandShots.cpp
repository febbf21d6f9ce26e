// Not a test: pictures of delete and copy for a person to look at.  A search
// lists a hidden folder tree and hidden files; the tree's row is deleted
// through the context menu, its question answered Yes with the mouse; two
// files are then copied through the context menu into a folder picked in the
// real folder dialog.  What is on disk afterwards is printed.
// Usage: file_command_shots <folder for the PNGs>
// Run it on a real display (xvfb-run -a -s "-screen 0 1280x800x24").

#include "ShotKit.h"

#include <QAbstractButton>
#include <QCursor>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <deque>
#include <dirent.h>
#include <functional>

using namespace umbrix;

namespace {

// What a person does with each modal window as it comes up, in order.
class ModalHandlers {
public:
    ModalHandlers()
    {
        timer_.setInterval(300);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }
    void then(std::function<bool(QWidget*)> handler) { handlers_.push_back(std::move(handler)); }

private:
    void poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        // A box made later may take the address of one already answered.
        if (!modal || modal->property("answered").toBool())
            return;
        if (handlers_.empty()) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            std::printf("UNEXPECTED %s: %s\n", modal->metaObject()->className(),
                        box ? qPrintable(box->text()) : "");
            modal->close();
            return;
        }
        if (handlers_.front()(modal)) {
            modal->setProperty("answered", true);
            handlers_.pop_front();
        }
    }
    QTimer timer_;
    std::deque<std::function<bool(QWidget*)>> handlers_;
};

void listFolder(const std::string& path, const std::string& indent = "  ")
{
    DIR* dir = opendir(path.c_str());
    if (!dir) {
        std::printf("%s(%s does not exist)\n", indent.c_str(), path.c_str());
        return;
    }
    while (const dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        std::printf("%s%s%s\n", indent.c_str(), name.c_str(), e->d_type == DT_DIR ? "/" : "");
        if (e->d_type == DT_DIR)
            listFolder(path + "/" + name, indent + "  ");
    }
    closedir(dir);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    shots::Shots shots(argc, argv);
    if (!shots.ok())
        return 2;
    const auto screen = [&](const char* name) { shots.save(nullptr, name, -1); };
    const auto entry = [&](const std::string& name, uint32_t attributes, bool isFolder = false) {
        shots.entry(name, attributes, isFolder, "data of " + name);
    };
    const test::TempDir& tree = shots.tree;
    entry("Junk", 0x6, true);
    entry("Junk/cache", 0, true);
    entry("Junk/cache/a.tmp", 0x20);
    entry("Junk/cache/deep", 0, true);
    entry("Junk/cache/deep/b.tmp", 0x21);
    entry("Junk/autorun.inf", 0x27);
    entry("report.doc", 0x22);
    entry("photo.jpg", 0x22);
    entry("plain.txt", 0x20);
    entry("Rescue", 0, true);
    std::printf("before, in %s:\n", tree.path().c_str());
    listFolder(tree.path());

    FrmSeek window(shots.state);
    if (!shots.start(window))
        return 1;
    window.move(20, 20);
    ModalHandlers modals;
    // The search's completion message.
    modals.then([&](QWidget* modal) {
        auto* message = qobject_cast<QMessageBox*>(modal);
        if (!message)
            return false;
        QTest::mouseClick(message->button(QMessageBox::Ok), Qt::LeftButton);
        return true;
    });
    window.cmdSearch->click();
    QTest::qWait(800);

    ResultListBox& box = window.lstFoundFiles.box(0);
    const auto rect = [&](const std::string& relative) {
        return box.visualRect(box.model()->index(shots.rowOf(box, relative), 0));
    };
    // The list opens its menu on the right button's press, at the pointer.
    const auto contextMenu = [&](const std::string& relative) {
        const QPoint at = rect(relative).center();
        QCursor::setPos(box.viewport()->mapToGlobal(at));
        QTest::qWait(100);
        QTest::mouseClick(box.viewport(), Qt::RightButton, {}, at);
        QTest::qWait(300);
    };
    const auto clickItem = [&](QAction* action) {
        QTest::mouseClick(window.bAttribute, Qt::LeftButton, Qt::NoModifier,
                          window.bAttribute->actionGeometry(action).center());
    };
    screen("1-found.png");

    // The delete's question, answered Yes with the mouse.
    modals.then([&](QWidget* modal) {
        auto* question = qobject_cast<QMessageBox*>(modal);
        if (!question)
            return false;
        std::printf("question \"%s\": %s\n", qPrintable(question->windowTitle()),
                    qPrintable(question->text()));
        screen("3-delete-question.png");
        QTest::mouseClick(question->button(QMessageBox::Yes), Qt::LeftButton);
        return true;
    });
    QTest::mouseClick(box.viewport(), Qt::LeftButton, Qt::NoModifier, rect("Junk").center());
    contextMenu("Junk");
    screen("2-delete-menu.png");
    clickItem(window.bAttribute->mnuDelete);
    QTest::qWait(500);
    std::printf("after the delete, rows: %d; caption \"%s\"\n", box.ListCount(),
                qPrintable(window.windowTitle()));
    screen("4-after-delete.png");

    // The copy: the folder dialog, then the completion message.
    modals.then([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog)
            return false;
        QTest::qWait(300);
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QTest::keyClicks(name, QStringLiteral("Rescue"));
        QTest::qWait(300);
        screen("6-folder-dialog.png");
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        QTest::mouseClick(buttons->button(QDialogButtonBox::Open), Qt::LeftButton);
        return true;
    });
    modals.then([&](QWidget* modal) {
        auto* message = qobject_cast<QMessageBox*>(modal);
        if (!message)
            return false;
        std::printf("message \"%s\": %s\n", qPrintable(message->windowTitle()),
                    qPrintable(message->text()));
        screen("7-copied.png");
        if (QAbstractButton* ok = message->button(QMessageBox::Ok))
            QTest::mouseClick(ok, Qt::LeftButton);
        else
            message->reject();
        return true;
    });
    QTest::mouseClick(box.viewport(), Qt::LeftButton, Qt::NoModifier, rect("report.doc").center());
    QTest::mouseClick(box.viewport(), Qt::LeftButton, Qt::ControlModifier,
                      rect("photo.jpg").center());
    QTest::qWait(300);
    contextMenu("photo.jpg");
    screen("5-copy-menu.png");
    clickItem(window.bAttribute->mnuCopy);
    QTest::qWait(500);
    screen("8-after-copy.png");

    std::printf("after, in %s:\n", tree.path().c_str());
    listFolder(tree.path());
    return 0;
}
