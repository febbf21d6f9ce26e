#pragma once

#include "ui/controls/ResultListBox.h"
#include "ui/main/AppState.h"
#include "ui/main/ClickLabel.h"
#include "ui/main/Twips.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QMenu;

namespace umbrix {

class AttributeHost;
class DirListBox;
class DriveListBox;
class FileListBox;
class FileSystemObject;
class SearchHost;
class WindowMenu;

// The main window.  Its controls are public, the way the search command, the
// layout and the list handlers reach them; each keeps its twips rectangle.
class FrmSeek : public QWidget {
    Q_OBJECT

public:
    // Which of its three faces the window shows; the buttons' captions follow.
    enum class View { Browser, Searching, Results };

    // The list the context menu or a delete key last addressed.
    enum class SourceKind { None, Listbox, Dirbox, Filebox };

    // `state` is the program's state, which outlives the window.
    explicit FrmSeek(AppState& state, QWidget* parent = nullptr);
    ~FrmSeek() override;

    AppState& state() const { return state_; }
    View view() const { return view_; }
    void setView(View view) { view_ = view; }

    // --- Result list properties ---------------------------------------------
    int16_t CurrentIndex() const { return currentIndex_; }
    void setCurrentIndex(int16_t NewValue) { currentIndex_ = NewValue; }
    int16_t TotalListbox() const { return totalListbox_; }
    void setTotalListbox(int16_t NewValue) { totalListbox_ = NewValue; }
    bool CancelAction() const { return cancelAction_; }
    void setCancelAction(bool NewValue) { cancelAction_ = NewValue; }
    float CurrentWidth() const { return currentWidth_; }
    void setCurrentWidth(float NewValue) { currentWidth_ = NewValue; }

    // Whole rows that result list box 0 shows at its height.
    int32_t PageSize = 0;
    SourceKind SourceList = SourceKind::None;
    std::unique_ptr<FileSystemObject> FileSystem;

    // Where the scanner's failure reports go; nothing is shown without one.
    std::function<void(const std::string& logText, bool forceView)> logSink;

    // Creates FileSystem; false (after telling the user) when it cannot be.
    // `create` stands in for the construction in tests.
    bool SetObject(const std::function<std::unique_ptr<FileSystemObject>()>& create = {});

    // The result list (filled by the scanner through the search host).
    void FoundFileAdd(const std::string& Folder, const std::string& Name,
                      const platform::EntryIdentity& identity = {});
    // The next row found goes to a new box: the current one is full.
    bool nextRowOpensBox();
    void RefreshResult(const std::string& Folder, const std::string& Name, int32_t scannedCount);
    // Puts the progress last reported by RefreshResult into the labels.
    void showProgress();
    ResultListBox& resultBox(int index)
    {
        return *lstFoundFiles[static_cast<std::size_t>(index)].get();
    }
    // Appends list box CurrentIndex + 1 and splits the width into equal columns.
    void addResultListBox();

    // --- The window in twips --------------------------------------------------
    const TwipsScale& scale() const { return scale_; }
    float Width() const;       // outer
    float Height() const;      // outer
    float ScaleWidth() const;  // inner
    float ScaleHeight() const; // inner
    void setWidth(float outer);
    void setHeight(float outer);
    void setLeft(float left);
    // 0 normal, 1 minimized, 2 maximized.
    int WindowState() const;
    void setWindowStateValue(int state);
    void setCaption(const std::string& caption);

    // The layout switch: while off, the browser view is not arranged.
    bool LayoutEnabled = true;

    // Runs Load the first time, then shows the window.
    void Show();
    // Unload started by the program itself (ExitApplication).
    void Unload();

    SearchHost& searchHost() { return *host_; }
    AttributeHost& attributeHost() { return *attributeHost_; }

    // --- Attribute panel and commands ----------------------------------------
    // Shows one entry's attributes in the panel and in the remove-attribute
    // menu; false (after telling the user) when it cannot be read.
    bool ShowEntryAttributes(const std::string& path);
    void ClearAttributeBoxes();
    // The panel's summary of the selected rows of result list box L.
    void ShowSelectionAttributes(int16_t L);
    // Writes the attributes of one entry, asking to retry on failure.
    bool SetAttribute(const std::string& File, int32_t Attrib, bool FlagCheck = false);
    // Clears one attribute from the selected rows of the current result box.
    void RemoveAttributeFromSelection(int16_t index);
    // The value of attribute box i: 0 unchecked, 1 checked, 2 grayed.
    int attributeBoxValue(int i) const;
    void setAttributeBoxValue(int i, int value);
    // True while a command over the result list's selection runs.
    bool attributeCommandRunning() const { return attributeCommands_ > 0 || fileCommands_ > 0; }

    // --- Delete and copy --------------------------------------------------------
    // Deletes what SourceList names, without asking.
    void DeleteSelected();
    // True while a delete or copy runs; a second one is not started meanwhile.
    bool fileCommandRunning() const { return fileCommands_ > 0; }

    // --- Handlers -----------------------------------------------------------
    void Form_Load();
    void Form_Resize();
    void cmdExit_Click();
    void cmdSearch_Click();
    void fraAttrib_MouseDown(int button, int shift, float x, float y);
    void mnuDir_Click();
    void drvList_Change();
    void dirList_Change();
    void dirList_Click();
    void chkAttr_Click(int16_t Index);
    void chkAttr_GotFocus(int16_t Index);
    void chkAttr_LostFocus(int16_t Index);
    void lblReadOnly_Click();
    void lblHidden_Click();
    void lblSystem_Click();
    void lblArchive_Click();
    void mnuReadOnly_Click();
    void mnuHidden_Click();
    void mnuSystem_Click();
    void mnuArchive_Click();
    // Mouse positions in twips from the control's top left corner; buttons 1
    // left, 2 right; shift 1 Shift, 2 Ctrl, 4 Alt, summed.
    void dirList_MouseDown(int Button, int Shift, float X, float Y);
    void filList_MouseDown(int Button, int Shift, float X, float Y);
    void lstFoundFiles_Click(int16_t Index);
    void lstFoundFiles_GotFocus(int16_t Index);
    void lstFoundFiles_MouseDown(int16_t Index, int Button, int Shift, float X, float Y);
    void lstFoundFiles_MouseUp(int16_t Index, int Button, int Shift, float X, float Y);
    // Windows key codes (33 Page Up, 34 Page Down, 38 Up, 40 Down, 46 Delete,
    // 93 the context-menu key); a KeyCode set to 0 is kept from the box.
    void lstFoundFiles_KeyDown(int16_t Index, int& KeyCode, int Shift);
    void mnuSelectAll_Click();
    void mnuUnselectAll_Click();
    void mnuDelete_Click();
    void mnuCopy_Click();
    // The Delete keys of result list box `Index`, from its KeyDown.
    void resultBoxDeleteKey(int16_t Index, int16_t KeyCode, int16_t Shift);
    void dirList_KeyDown(int16_t KeyCode, int16_t Shift);
    void filList_KeyDown(int16_t KeyCode, int16_t Shift);

    // --- Controls -------------------------------------------------------------
    Placed<ClickLabel> lblCriteria;
    Placed<QLineEdit> txtSearchSpec;
    Placed<FileListBox> filList;
    Placed<DriveListBox> drvList;
    Placed<DirListBox> dirList;
    Placed<QGroupBox> fraOptions;
    Placed<QCheckBox> chkSubDir;
    Placed<QCheckBox> chkViewAll;
    Placed<QCheckBox> chkFolder;
    Placed<QCheckBox> chkFiles;
    Placed<QPushButton> cmdSearch;
    Placed<QPushButton> cmdExit;
    Placed<QLabel> lblFound;
    Placed<QLabel> lblCount;
    std::vector<Placed<ResultListBox>> lstFoundFiles;
    Placed<QGroupBox> fraAttrib;
    Placed<QLabel> Label1;
    Placed<ClickLabel> lblReadOnly;
    Placed<ClickLabel> lblHidden;
    Placed<ClickLabel> lblSystem;
    Placed<ClickLabel> lblArchive;
    Placed<QLabel> Label6;
    std::array<Placed<QCheckBox>, 5> chkAttr;
    Placed<QWidget> picdir;
    Placed<QLabel> lblDir;
    Placed<QLabel> lblScanned;
    Placed<QLabel> lblCountx;
    Placed<QLineEdit> txtTip;

    // The window menu, which stands in for the system menu (Alt+W, Alt+Space).
    WindowMenu* windowMenu = nullptr;

    // The context menu "Attribute", opened only as a pop-up.
    QMenu* bAttribute = nullptr;
    QAction* mnuDir = nullptr;
    QAction* s1 = nullptr;
    QAction* mnuRemAttr = nullptr;
    QAction* mnuReadOnly = nullptr;
    QAction* mnuHidden = nullptr;
    QAction* mnuSystem = nullptr;
    QAction* mnuArchive = nullptr;
    QAction* s2 = nullptr;
    QAction* mnuDelete = nullptr;
    QAction* mnuCopy = nullptr;
    QAction* s3 = nullptr;
    QAction* mnuSelectAll = nullptr;
    QAction* mnuUnselectAll = nullptr;

    // Enlarges the whole window in proportion when a caption, check box or
    // button would not fit its text in the current font and style.
    void fitCaptions();

    // A position in twips as the window's pixels.
    QPoint pixelsOf(float x, float y) const;
    // Width in twips of `text` in the window's font.
    float TextWidth(const QString& text) const;
    // Sets an auto-sized label's caption: its width follows the text.
    void setAutoSizeCaption(Placed<QLabel>& label, const QString& caption);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void compose();
    void composeBrowser();
    void composeResults();
    void composeAttributePanel();
    void composeMenu();
    void connectHandlers();
    void connectAttributeHandlers();
    void connectBrowserHandlers();
    void connectResultBox(ResultListBox& box, int16_t index);
    // Opens the context menu at the mouse pointer, its right edge there.
    void popUpAttributeMenu();
    // The items only some lists offer.
    void showListMenuItems(bool selectItems, bool copyItems);
    void connectFileCommandHandlers();
    // The panel, the path line and the found counter as they are after a
    // delete took rows out of the result list, for result box `index`.
    void showResultsAfterDelete(int16_t index);
    // Asks the delete question; true for Yes.
    bool confirmDelete(const std::string& question);
    // The label click: toggles box i and runs its click command.
    void toggleAttributeByLabel(int16_t i);
    // The remove-attribute menu item of attribute `index`.
    void removeAttributeFromSource(int16_t index, const char* title);
    // The caption labels of boxes 0 to 3, in the boxes' order.
    std::array<ClickLabel*, 4> attributeCaptions() const;
    Placed<ResultListBox> makeResultListBox(float left, float top, float width, float height);
    void QueryUnload(bool& cancel, int unloadMode);
    // The Resize handler's arrangement of the visible view; false when it
    // stopped at a size the window is too small for.
    bool arrange();

    AppState& state_;
    View view_ = View::Browser;
    // Calls `fn` on every control placed in twips.
    template <class Fn> void forEachPlaced(Fn&& fn);

    TwipsScale screenScale_; // twips per pixel of the screen
    TwipsScale scale_;       // what the window uses: smaller when its text needs more room
    std::unique_ptr<SearchHost> host_;
    std::unique_ptr<AttributeHost> attributeHost_;
    int attributeCommands_ = 0;
    // What the press of the click under way put in the attribute panel: the
    // box, and the row or kSummaryShown.  The click's later handlers do not
    // read and report the same thing a second time.
    static constexpr int32_t kSummaryShown = -2;
    struct PressShown {
        int16_t box = -1;
        int32_t row = -1;
        bool operator==(const PressShown&) const = default;
    };
    PressShown pressShown_;
    int fileCommands_ = 0;
    int16_t currentIndex_ = 0;
    int16_t totalListbox_ = 1;
    bool cancelAction_ = false;
    float currentWidth_ = 0.0f;
    bool loaded_ = false;
    bool unloadingByProgram_ = false;
    bool restoringDrive_ = false;
    std::map<std::string, std::string> lastDirectoryOf_; // volume root -> directory
    float pendingOuterWidth_ = -1.0f;
    int32_t progressCount_ = 0;
    std::string progressFolder_;
    std::string progressName_;
    bool progressPending_ = false;
    float pendingOuterHeight_ = -1.0f;
};

// The orderly exit: the Exit button's work, also the program's own way out.
void ExitApplication(FrmSeek& window);

} // namespace umbrix
