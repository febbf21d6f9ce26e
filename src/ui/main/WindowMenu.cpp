#include "ui/main/WindowMenu.h"

#include "settings/SettingsStore.h"
#include "ui/main/AboutWindow.h"
#include "ui/main/FrmSeek.h"
#include "ui/main/LogViewer.h"
#include "ui/main/LogViewerInstance.h"
#include "ui/main/SuspectsDialog.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

namespace umbrix {

using namespace SystemCommand;

WindowMenu::WindowMenu(QWidget& window) : QObject(&window), window_(window)
{
    setObjectName(QStringLiteral("windowMenu"));
    bar_ = new QMenuBar(&window);
    bar_->setObjectName(QStringLiteral("windowMenuBar"));
    // A desktop-wide menu would take the bar out of the window, and with it
    // the only way to these commands that the window manager leaves us.
    bar_->setNativeMenuBar(false);
    // The system's menu font, not the window's bold one.
    QFont font = QApplication::font(bar_);
    font.setResolveMask(QFont::AllPropertiesResolved);
    bar_->setFont(font);
    menu_ = bar_->addMenu(QStringLiteral("&Window"));
    menu_->setFont(font);

    const std::pair<int, QString> standard[] = {
        {SC_RESTORE, QStringLiteral("&Restore")},
        {SC_MINIMIZE, QStringLiteral("Mi&nimize")},
        {SC_MAXIMIZE, QStringLiteral("Ma&ximize")},
        {SC_CLOSE, QStringLiteral("&Close\tAlt+F4")},
    };
    for (const auto& [command, caption] : standard)
        insertItem(command, command, caption, false);

    connect(menu_, &QMenu::triggered, this, [this](QAction* action) {
        if (const int command = action->data().toInt())
            choose(command);
    });
    connect(menu_, &QMenu::aboutToShow, this, &WindowMenu::updateStandardItems);
    window.installEventFilter(this);
    bar_->installEventFilter(this);
    fitBar();
}

WindowMenu::~WindowMenu() = default;

WindowMenu* WindowMenu::of(const QWidget* window)
{
    return window ? window->findChild<WindowMenu*>(QStringLiteral("windowMenu"),
                                                   Qt::FindDirectChildrenOnly)
                  : nullptr;
}

WindowMenu::Item* WindowMenu::find(int command)
{
    for (Item& item : items_)
        if (item.command == command)
            return &item;
    return nullptr;
}

const WindowMenu::Item* WindowMenu::find(int command) const
{
    return const_cast<WindowMenu*>(this)->find(command);
}

QAction* WindowMenu::item(int command) const
{
    const Item* found = find(command);
    return found ? found->action : nullptr;
}

void WindowMenu::insertItem(int before, int command, const QString& caption, bool separatorFirst)
{
    QAction* next = item(before);
    if (separatorFirst)
        menu_->insertSeparator(next);
    auto* action = new QAction(caption, menu_);
    action->setData(command);
    menu_->insertAction(next, action);
    items_.push_back(Item{command, action, 0});
    show(items_.back());
}

bool WindowMenu::itemState(int command, uint32_t& state) const
{
    const Item* found = find(command);
    if (found)
        state = found->state;
    return found != nullptr;
}

bool WindowMenu::setItemState(int command, uint32_t state)
{
    Item* found = find(command);
    if (!found)
        return false;
    found->state = state;
    show(*found);
    return true;
}

void WindowMenu::show(const Item& item)
{
    item.action->setEnabled((item.state & MenuState::MFS_GRAYED) == 0);
    // Only a checked item shows a mark; an unchecked one shows no empty box.
    const bool checked = (item.state & MenuState::MFS_CHECKED) != 0;
    item.action->setCheckable(checked);
    item.action->setChecked(checked);
}

void WindowMenu::open()
{
    bar_->setActiveAction(menu_->menuAction());
}

bool WindowMenu::setRoute(std::function<void(int)> route)
{
    if (route_)
        return false;
    route_ = std::move(route);
    return true;
}

bool WindowMenu::clearRoute()
{
    const bool was = routed();
    route_ = nullptr;
    return was;
}

void WindowMenu::defaultCommand(int command)
{
    switch (command) {
    case SC_RESTORE:
        window_.showNormal();
        break;
    case SC_MINIMIZE:
        window_.showMinimized();
        break;
    case SC_MAXIMIZE:
        window_.showMaximized();
        break;
    case SC_CLOSE:
        window_.close();
        break;
    default:
        break;
    }
}

void WindowMenu::choose(int command)
{
    const QPointer<WindowMenu> alive(this);
    if (route_)
        route_(command);
    else
        defaultCommand(command);
    // A checkable action flips its own mark when chosen; the state word,
    // which the handler may or may not have changed, has the last say.
    if (alive)
        if (const Item* chosen = find(command))
            show(*chosen);
}

void WindowMenu::updateStandardItems()
{
    const Qt::WindowStates state = window_.windowState();
    const bool minimized = state & Qt::WindowMinimized;
    const bool maximized = state & (Qt::WindowMaximized | Qt::WindowFullScreen);
    const auto grayedUnless = [](bool on) { return on ? 0u : MenuState::MFS_GRAYED; };
    setItemState(SC_RESTORE, grayedUnless(minimized || maximized));
    setItemState(SC_MINIMIZE, grayedUnless(!minimized));
    setItemState(SC_MAXIMIZE, grayedUnless(!maximized));
}

void WindowMenu::fitBar()
{
    const int height = bar_->sizeHint().height();
    bar_->setGeometry(0, 0, window_.width(), height);
    const QMargins margins = window_.contentsMargins();
    const int grown = height - margins.top();
    if (grown == 0)
        return;
    // The client area keeps its height: the window grows by what the bar
    // takes, as a window grows by its title bar.
    window_.setContentsMargins(margins.left(), height, margins.right(), margins.bottom());
    window_.resize(window_.width(), window_.height() + grown);
}

bool WindowMenu::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &window_ && event->type() == QEvent::Resize)
        bar_->resize(window_.width(), bar_->height());
    else if (watched == bar_ &&
             (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange))
        fitBar();
    return QObject::eventFilter(watched, event);
}

// --- The system menu functions -----------------------------------------------------

void SetupSystemMenu(FrmSeek* window, const QString& name)
{
    if (!window)
        return;
    const QString about =
        name.isEmpty() ? QStringLiteral("About...") : QStringLiteral("About ") + name;
    AddSystemMenuItem(window, About, about, true);
    AddSystemMenuItem(window, LogErrors, QStringLiteral("Log Errors"), false);
    AddSystemMenuItem(window, CheckShortcuts, QStringLiteral("Check for malware shortcuts..."),
                      false);
    HookSystemMenu(window);
}

void AddSystemMenuItem(QWidget* window, int command, const QString& caption, bool separatorFirst)
{
    if (WindowMenu* menu = WindowMenu::of(window))
        menu->insertItem(command, command, caption, separatorFirst);
}

void EnableSystemMenuItem(QWidget* window, int command, bool enable)
{
    WindowMenu* menu = WindowMenu::of(window);
    uint32_t state = 0;
    if (!menu || !menu->itemState(command, state))
        return;
    if (!enable)
        state |= MenuState::MFS_GRAYED;
    else if ((state & MenuState::MFS_GRAYED) == MenuState::MFS_GRAYED)
        state &= ~MenuState::MFS_GRAYED;
    menu->setItemState(command, state);
}

void SetSystemMenuCheck(QWidget* window, int command, bool checked)
{
    WindowMenu* menu = WindowMenu::of(window);
    uint32_t state = 0;
    if (!menu || !menu->itemState(command, state))
        return;
    if (checked)
        state |= MenuState::MFS_CHECKED;
    else
        state &= ~MenuState::MFS_CHECKED;
    menu->setItemState(command, state);
}

bool GetSystemMenuCheck(QWidget* window, int command)
{
    const WindowMenu* menu = WindowMenu::of(window);
    uint32_t state = 0;
    return menu && menu->itemState(command, state) && (state & MenuState::MFS_CHECKED) != 0;
}

void HookSystemMenu(FrmSeek* window)
{
    if (WindowMenu* menu = WindowMenu::of(window))
        menu->setRoute([window](int command) { SystemMenuProc(window, command); });
}

void UnhookSystemMenu(FrmSeek* window)
{
    if (WindowMenu* menu = WindowMenu::of(window))
        menu->clearRoute();
}

void SystemMenuProc(FrmSeek* window, int command)
{
    if (!window)
        return;
    switch (command) {
    case About:
        if (window->windowState() & Qt::WindowMinimized)
            window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        ShowAbout(window);
        break;
    case LogErrors: {
        // The mark, not the variable, decides: they cannot drift apart.
        AppState& s = window->state();
        s.LogErrors = !GetSystemMenuCheck(window, LogErrors);
        if (!s.LogErrors) {
            // Where it stands now, which may be where the window manager put
            // it, not only where it was last dragged to.
            if (LogViewer* viewer = logViewer())
                viewer->storePlace();
            hideLogViewer();
        }
        else if (LogViewer* viewer = logViewer(); viewer && !viewer->isEmpty())
            viewer->View();
        SetSystemMenuCheck(window, LogErrors, s.LogErrors);
        saveLogErrorsSetting(s.LogErrors);
        break;
    }
    case CheckShortcuts:
        CheckForMalwareShortcuts(*window);
        break;
    default:
        if (WindowMenu* menu = WindowMenu::of(window))
            menu->defaultCommand(command);
        break;
    }
}

} // namespace umbrix
