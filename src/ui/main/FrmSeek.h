#pragma once

#include "ui/main/AppState.h"
#include "ui/main/AttributeMenu.h"
#include "ui/main/AttributePanel.h"
#include "ui/main/BrowserPanel.h"
#include "ui/main/ResultColumns.h"
#include "ui/main/TwipsForm.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace umbrix {

class AttributeHost;
class FileSystemObject;
class SearchHost;
class WindowMenu;

// The main window: the browser view, the result columns, the attribute
// panel and the context menu, composed; the flags the commands share; the
// delete and copy commands' window side.
class FrmSeek : public TwipsForm {
    Q_OBJECT

public:
    // Which of its three faces the window shows; the buttons' captions follow.
    enum class View { Browser, Searching, Results };

    // `state` is the program's state, which outlives the window.
    explicit FrmSeek(AppState& state, QWidget* parent = nullptr);
    ~FrmSeek() override;

    AppState& state() const { return state_; }
    View view() const { return view_; }
    void setView(View view) { view_ = view; }
    bool CancelAction() const { return cancelAction_; }
    void setCancelAction(bool NewValue) { cancelAction_ = NewValue; }
    float CurrentWidth() const { return currentWidth_; }
    void setCurrentWidth(float NewValue) { currentWidth_ = NewValue; }

    SourceKind SourceList = SourceKind::None;
    std::unique_ptr<FileSystemObject> FileSystem;
    // Where the scanner's failure reports go; nothing is shown without one.
    std::function<void(const std::string& logText, bool forceView)> logSink;
    // The layout switch: while off, the browser view is not arranged.
    bool LayoutEnabled = true;

    // Creates FileSystem; false (after telling the user) when it cannot be.
    // `create` stands in for the construction in tests.
    bool SetObject(const std::function<std::unique_ptr<FileSystemObject>()>& create = {});
    // The walk's progress, shown by showProgress before the window next
    // handles its events.
    void RefreshResult(const std::string& Folder, const std::string& Name, int32_t scannedCount);
    void showProgress();

    // Runs Load the first time, then shows the window.
    void Show();
    // Unload started by the program itself (ExitApplication).
    void Unload();
    void Form_Resize();

    SearchHost& searchHost() { return *host_; }
    AttributeHost& attributeHost() { return *attributeHost_; }

    // Deletes what SourceList names, without asking.
    void DeleteSelected();
    // True while a delete or copy runs; a second one is not started meanwhile.
    bool fileCommandRunning() const { return fileCommands_ > 0; }
    void mnuCopy_Click();
    // The Delete keys of result list box `Index`, from its KeyDown.
    void resultBoxDeleteKey(int16_t Index, int16_t KeyCode, int16_t Shift);

    BrowserPanel browser;
    Placed<QPushButton> cmdSearch;
    Placed<QPushButton> cmdExit;
    Placed<QLabel> lblFound;
    Placed<QLabel> lblCount;
    ResultColumns lstFoundFiles;
    Placed<AttributePanel> fraAttrib;
    Placed<QLabel> lblDir;
    Placed<QLabel> lblScanned;
    Placed<QLabel> lblCountx;
    Placed<QLineEdit> txtTip;
    // The window menu, which stands in for the system menu (Alt+W, Alt+Space).
    WindowMenu* windowMenu = nullptr;
    AttributeMenu* bAttribute = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Who asked the window to close.
    enum class UnloadMode { User, Program };

    void compose();
    void composeButtons();
    void composeResults();
    void connectHandlers();
    void connectBrowserHandlers();
    void connectFileCommandHandlers();
    // Enlarges the whole window in proportion when a caption, check box or
    // button would not fit its text in the current font and style.
    void fitCaptions();
    // Calls `fn` on every control placed in twips on the window itself.
    template <class Fn> void forEachPlaced(Fn&& fn);
    // The Resize handler's arrangement of the visible view; false when it
    // stopped at a size the window is too small for.
    bool arrange();
    void QueryUnload(bool& cancel, UnloadMode mode);

    void Form_Load();
    void cmdExit_Click();
    void cmdSearch_Click();
    void mnuDir_Click();
    void mnuDelete_Click();
    void drvList_Change();
    void dirList_Change();
    void dirList_Click();
    // Mouse positions in twips from the control's top left corner; buttons 1
    // left, 2 right; shift 1 Shift, 2 Ctrl, 4 Alt, summed.
    void dirList_MouseDown(int Button, int Shift, float X, float Y);
    void filList_MouseDown(int Button, int Shift, float X, float Y);
    void dirList_KeyDown(int16_t KeyCode, int16_t Shift);
    void filList_KeyDown(int16_t KeyCode, int16_t Shift);
    // The panel, the path line and the found counter as they are after a
    // delete took rows out of the result list, for result box `index`.
    void showResultsAfterDelete(int16_t index);
    // Asks the delete question; true for Yes.
    bool confirmDelete(const std::string& question);

    AppState& state_;
    View view_ = View::Browser;
    std::unique_ptr<SearchHost> host_;
    std::unique_ptr<AttributeHost> attributeHost_;
    int fileCommands_ = 0;
    bool cancelAction_ = false;
    float currentWidth_ = 0.0f;
    bool loaded_ = false;
    bool unloadingByProgram_ = false;
    bool restoringDrive_ = false;
    std::map<std::string, std::string> lastDirectoryOf_; // volume root -> directory
    int32_t progressCount_ = 0;
    std::string progressFolder_;
    std::string progressName_;
    bool progressPending_ = false;
};

// The orderly exit: the Exit button's work, also the program's own way out.
void ExitApplication(FrmSeek& window);

} // namespace umbrix
