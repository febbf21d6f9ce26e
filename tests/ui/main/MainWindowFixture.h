#pragma once

#include "app/Startup.h"
#include "platform/AttributeStore.h"
#include "settings/InstalledFlag.h"
#include "settings/StoreSandbox.h"
#include "support/TempDir.h"
#include "ui/controls/DirListBox.h"
#include "ui/controls/FileListBox.h"
#include "ui/main/AppState.h"
#include "ui/main/FrmSeek.h"
#include "ui/main/LogViewerInstance.h"
#include "ui/main/SearchCommand.h"
#include "ui/services/Interaction.h"

#include <QMenu>
#include <algorithm>
#include <climits>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <unistd.h>

namespace umbrix::test {

// The main window as start-up leaves it, its directory list on a fresh
// temporary folder, with message boxes answered, beeps counted and the
// settings and the log file kept in the test's own folder.
class MainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(::getcwd(previousDirectory_, sizeof previousDirectory_), nullptr);
        // A machine where the file-system object has been checked before, so
        // that start-up makes no scratch folder outside the test's own.
        SetInstalled(QStringLiteral("Umbrix"), QStringLiteral("SCRRUN.DLL"));
        window = std::make_unique<FrmSeek>(state);
        ASSERT_TRUE(startUp(*window, commandLine()));
        window->browser.dirList->setPath(tree.path());
        ASSERT_EQ(state.CurrentPath, tree.path());
    }
    void TearDown() override
    {
        // The viewer stores its place when it is unloaded, which must happen
        // while the settings still point into the sandbox.
        unloadLogViewer();
        window.reset();
        EXPECT_EQ(::chdir(previousDirectory_), 0);
    }
    virtual std::string commandLine() const { return {}; }

    std::string at(const std::string& relative) const { return tree / relative; }
    void file(const std::string& relative, uint32_t attributes = 0)
    {
        makeFile(at(relative), "x");
        if (attributes)
            setDosAttrib(at(relative), attributes);
    }
    void folder(const std::string& relative, uint32_t attributes = 0)
    {
        makeDir(at(relative));
        if (attributes)
            setDosAttrib(at(relative), attributes);
    }
    uint32_t attributesOf(const std::string& relative)
    {
        uint32_t word = 0;
        EXPECT_EQ(platform::queryAttributes(at(relative), word), 0) << relative;
        return word;
    }

    // The results view as the search host fills it: each call adds a box
    // after those in use, listing `entries` (made as files of the given
    // attributes where they do not exist yet).
    void addResultBox(const std::vector<std::pair<std::string, uint32_t>>& entries)
    {
        if (window->view() == FrmSeek::View::Browser)
            EnterSearchState(*window);
        else
            window->lstFoundFiles.addResultListBox();
        for (const auto& [name, attributes] : entries) {
            if (!exists(at(name)))
                file(name, attributes);
            window->lstFoundFiles.FoundFileAdd(tree.path() + "/", name);
        }
    }
    // Selects `rows` of result box b alone, `current` its current row, and
    // makes the result list the source of the commands.
    void selectRows(int b, const std::vector<int>& rows, int current)
    {
        ResultListBox& box = window->lstFoundFiles.box(b);
        box.setAllSelected(false);
        for (int row : rows)
            box.setSelected(row, true);
        box.setListIndex(current);
        window->lstFoundFiles.setCurrentIndex(b);
        window->SourceList = SourceKind::Listbox;
    }
    // Every row of every result box in use, as exact bytes, box by box.
    std::vector<std::string> resultRows()
    {
        std::vector<std::string> rows;
        for (int b = 0; b < window->lstFoundFiles.TotalListbox(); ++b)
            for (int i = 0; i < window->lstFoundFiles.box(b).ListCount(); ++i)
                rows.push_back(window->lstFoundFiles.box(b).ListPath(i));
        return rows;
    }
    std::vector<std::string> fileNames() const
    {
        std::vector<std::string> names;
        for (int i = 0; i < window->browser.filList->ListCount(); ++i)
            names.push_back(window->browser.filList->List(i));
        return names;
    }
    // The row of the file list naming `name`, -1 when none does.
    int fileRow(const std::string& name) const
    {
        const std::vector<std::string> names = fileNames();
        const auto at = std::find(names.begin(), names.end(), name);
        return at == names.end() ? -1 : static_cast<int>(at - names.begin());
    }

    // The five boxes of the attribute panel: 0 clear, 1 checked, 2 grayed.
    int box(int i) const { return static_cast<int>(window->fraAttrib->value(i)); }
    std::vector<int> panel() const { return {box(0), box(1), box(2), box(3), box(4)}; }
    QCheckBox* attributeBox(int i) const
    {
        return window->fraAttrib->findChild<QCheckBox*>(QStringLiteral("chkAttr%1").arg(i));
    }
    bool menuOpen() const { return window->bAttribute->isVisible(); }
    int messageCount() const { return static_cast<int>(messages.calls().size()); }

    // What a person checks of any arrangement: every visible control lies
    // inside the window and none covers another.
    void expectTidyLayout()
    {
        std::vector<QWidget*> shown;
        for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (child->isVisibleTo(window.get()) && !child->isWindow())
                shown.push_back(child);
        ASSERT_FALSE(shown.empty());
        for (std::size_t i = 0; i < shown.size(); ++i) {
            const QRect r = shown[i]->geometry();
            EXPECT_TRUE(window->rect().contains(r)) << name(shown[i]) << " lies outside";
            for (std::size_t j = i + 1; j < shown.size(); ++j)
                EXPECT_FALSE(r.intersects(shown[j]->geometry()))
                    << name(shown[i]) << " covers " << name(shown[j]);
        }
    }
    static std::string name(const QWidget* widget)
    {
        return widget->metaObject()->className() + std::string(" \"") +
               widget->objectName().toStdString() + "\"";
    }

    // Start-up reads the settings and the log viewer writes them.
    StoreSandbox stores;
    TempDir tree;
    ScopedMsgBoxResponder messages;
    ScopedBeepCounter beeps;
    AppState state;
    std::unique_ptr<FrmSeek> window;

private:
    char previousDirectory_[PATH_MAX] = {};
};

} // namespace umbrix::test
