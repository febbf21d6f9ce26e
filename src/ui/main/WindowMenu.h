#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace umbrix {

class FrmSeek;

// Command identifiers of the window menu: the standard window commands and
// the program's two.
namespace SystemCommand {
inline constexpr int SC_MINIMIZE = 0xF020;
inline constexpr int SC_MAXIMIZE = 0xF030;
inline constexpr int SC_CLOSE = 0xF060;
inline constexpr int SC_RESTORE = 0xF120;
inline constexpr int About = 2001;
inline constexpr int LogErrors = 2003;
inline constexpr int CheckShortcuts = 2005;
} // namespace SystemCommand

// A menu item's state word: either bit of MFS_GRAYED disables the item.
namespace MenuState {
inline constexpr uint32_t MFS_GRAYED = 3;
inline constexpr uint32_t MFS_CHECKED = 8;
} // namespace MenuState

// The window menu that stands in for the system menu, which a Linux window
// manager keeps to itself: a menu bar with one menu holding Restore,
// Minimize, Maximize and Close, to which the program adds its own items.
// The bar lies above the window's client area (the window's top contents
// margin), as a menu bar lies outside a window's client area elsewhere, so
// that nothing placed in twips moves or is covered.
class WindowMenu : public QObject {
    Q_OBJECT

public:
    explicit WindowMenu(QWidget& window);
    ~WindowMenu() override;

    // The menu of `window`; null for null or a window without one.
    static WindowMenu* of(const QWidget* window);

    QMenuBar* bar() const { return bar_; }
    QMenu* menu() const { return menu_; }
    QAction* item(int command) const;

    // Inserts an item before the item `before` (at the end when there is none).
    void insertItem(int before, int command, const QString& caption, bool separatorFirst);
    // The item's state word; false, and nothing read or written, when there is
    // no such item.
    bool itemState(int command, uint32_t& state) const;
    bool setItemState(int command, uint32_t state);

    // Opens the menu from its bar, as Alt+Space (and its own Alt+W) does.
    void open();

    // Every chosen command goes to `route` while one is set (the program's
    // handler), otherwise to defaultCommand.  False when one is set already.
    bool setRoute(std::function<void(int command)> route);
    bool clearRoute();
    bool routed() const { return static_cast<bool>(route_); }

    // What the window does with a command without the program's handler:
    // the standard commands act on the window, any other does nothing.
    void defaultCommand(int command);
    // A command as if chosen from the menu.
    void choose(int command);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Item {
        int command;
        QAction* action;
        uint32_t state;
    };
    Item* find(int command);
    const Item* find(int command) const;
    static void show(const Item& item);
    void fitBar();
    void updateStandardItems();

    QWidget& window_;
    QMenuBar* bar_;
    QMenu* menu_;
    std::vector<Item> items_;
    std::function<void(int)> route_;
};

// --- The system menu functions, on the window menu ------------------------------
// A null window makes each do nothing (GetSystemMenuCheck: false), and so does
// a missing item.

// Adds the separator, "About..." ("About " + name when a name is given),
// "Log Errors" and "Check for malware shortcuts...", then routes the window's commands through SystemMenuProc.
void SetupSystemMenu(FrmSeek* window, const QString& name);
void AddSystemMenuItem(QWidget* window, int command, const QString& caption, bool separatorFirst);
// Enabling clears MFS_GRAYED only when both of its bits are set; disabling
// sets both.
void EnableSystemMenuItem(QWidget* window, int command, bool enable);
// Checking sets MFS_CHECKED, unchecking clears it.
void SetSystemMenuCheck(QWidget* window, int command, bool checked);
bool GetSystemMenuCheck(QWidget* window, int command);
// Installs SystemMenuProc once; a second call changes nothing.
void HookSystemMenu(FrmSeek* window);
// Takes SystemMenuProc off again; without a hook it does nothing.
void UnhookSystemMenu(FrmSeek* window);
// The handler of the window's commands: "About..." and "Log Errors", and
// every other command passed on to the window unchanged.
void SystemMenuProc(FrmSeek* window, int command);

} // namespace umbrix
