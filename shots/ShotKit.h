#pragma once

// What the picture programs share: each shows the real window over a tree
// of its own, with the settings and the log file in a sandbox, never the
// user's.

#include "app/Startup.h"
#include "settings/StoreSandbox.h"
#include "support/TempDir.h"
#include "ui/controls/DirListBox.h"
#include "ui/main/AppState.h"
#include "ui/main/FrmSeek.h"

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <cstdio>
#include <string>

namespace umbrix::shots {

class Shots {
public:
    // The folder for the PNGs is the one argument; without it ok() is false.
    Shots(int argc, char** argv)
    {
        if (argc < 2)
            std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        else
            folder_ = QString::fromLocal8Bit(argv[1]);
    }
    bool ok() const { return !folder_.isEmpty(); }

    // A picture of `window`, or of the whole screen when it is null, after
    // `settle` milliseconds of events (none at all when negative).
    void save(QWidget* window, const char* name, int settle = 300) const
    {
        if (settle >= 0)
            QTest::qWait(settle);
        const QPixmap picture =
            window ? window->grab() : QGuiApplication::primaryScreen()->grabWindow(0);
        const QString file = folder_ + QLatin1Char('/') + QLatin1String(name);
        std::printf("%s %s\n", qPrintable(file), picture.save(file) ? "written" : "NOT written");
    }

    // A file (with `content`) or a folder below the tree, with attributes.
    void entry(const std::string& name, uint32_t attributes, bool isFolder = false,
               const std::string& content = "x") const
    {
        isFolder ? test::makeDir(tree / name) : test::makeFile(tree / name, content);
        if (attributes)
            test::setDosAttrib(tree / name, attributes);
    }

    // Starts the window as the program does, on the tree.
    bool start(FrmSeek& window, const std::string& commandLine = {}) const
    {
        if (!startUp(window, commandLine))
            return false;
        window.browser.dirList->setPath(tree.path());
        return true;
    }

    // The row of the result box listing `relative` below the tree, -1 when none.
    int rowOf(ResultListBox& box, const std::string& relative) const
    {
        for (int i = 0; i < box.ListCount(); ++i)
            if (box.ListPath(i) == tree / relative)
                return i;
        return -1;
    }

    test::StoreSandbox stores;
    test::TempDir tree;
    AppState state;

private:
    QString folder_;
};

inline QPoint rowCentre(const QAbstractItemView& view, int row)
{
    return view.visualRect(view.model()->index(row, 0)).center();
}

// The attribute panel as a line of text.
inline std::string panelText(const FrmSeek& window)
{
    const char* names[] = {"read-only", "hidden", "system", "archive", "directory"};
    std::string text;
    for (int i = 0; i < 5; ++i)
        text += std::string(names[i]) + "=" +
                std::to_string(static_cast<int>(window.fraAttrib->value(i))) + " ";
    return text + "(0 unchecked, 1 checked, 2 grayed)";
}

} // namespace umbrix::shots
