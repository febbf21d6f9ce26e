#pragma once

#include "ui/main/AppState.h"
#include "ui/services/Interaction.h"
#include "app/Startup.h"
#include "ui/main/LogViewerInstance.h"
#include "settings/StoreSandbox.h"
#include "support/TempDir.h"
#include "ui/controls/DirListBox.h"
#include "ui/main/FrmSeek.h"

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
    void SetUp() override {
        ASSERT_NE(::getcwd(previousDirectory_, sizeof previousDirectory_), nullptr);
        window = std::make_unique<FrmSeek>(state);
        ASSERT_TRUE(startUp(*window, commandLine()));
        window->dirList->setPath(tree.path());
        ASSERT_EQ(state.CurrentPath, tree.path());
    }

    void TearDown() override {
        // The viewer stores its place when it is unloaded, which must happen
        // while the settings still point into the sandbox.
        unloadLogViewer();
        window.reset();
        EXPECT_EQ(::chdir(previousDirectory_), 0);
    }

    virtual std::string commandLine() const { return {}; }

    std::string at(const std::string& relative) const { return tree / relative; }
    void file(const std::string& relative, uint32_t attributes = 0) {
        makeFile(at(relative), "x");
        if (attributes)
            setDosAttrib(at(relative), attributes);
    }
    void folder(const std::string& relative, uint32_t attributes = 0) {
        makeDir(at(relative));
        if (attributes)
            setDosAttrib(at(relative), attributes);
    }

    // Every row of every result box in use, as exact bytes, box by box.
    std::vector<std::string> resultRows() {
        std::vector<std::string> rows;
        for (int b = 0; b < window->TotalListbox(); ++b)
            for (int i = 0; i < window->resultBox(b).ListCount(); ++i)
                rows.push_back(window->resultBox(b).ListPath(i));
        return rows;
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
