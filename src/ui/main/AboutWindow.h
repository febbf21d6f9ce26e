#pragma once

#include "ui/main/Twips.h"

#include <QDialog>
#include <QString>

class QFrame;
class QIcon;
class QLabel;
class QPushButton;

namespace umbrix {

// The About window (fabout): title and version, the notice, the author's
// location and two links, the e-mail address and the web address, which open
// the user's mail program and browser.  Fixed size, centred on the screen.
class AboutWindow : public QDialog {
    Q_OBJECT

public:
    // The window's load: caption, link captions, centred.
    AboutWindow();
    ~AboutWindow() override;

    // From load until the window is closed (OK, the close box, Alt+F4, Esc).
    bool Loaded() const { return loaded_; }

    QFrame* Frame1 = nullptr;
    QLabel* imgIcon = nullptr;
    QLabel* lblAbout = nullptr;
    QLabel* lblmailto = nullptr;
    QLabel* lblweb = nullptr;
    QPushButton* btnOK = nullptr;

    // Sets the About text; its CRs break the lines.
    void setAboutCaption(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void done(int result) override;
    void showEvent(QShowEvent* event) override;

private:
    void centre();
    void lblmailto_MouseMove();
    void lblweb_MouseMove();
    void linksPlain();

    TwipsScale scale_;
    bool loaded_ = false;
};

// The About window while it is open, else null.
AboutWindow* aboutWindow();

// Closes the About window if it is open; the main window's unload does it.
void unloadAboutWindow();

// The "About..." command: the log viewer stops being top-most so that it
// cannot cover the dialog, the dialog runs (with `mainWindow`'s icon) until it
// is closed, and the viewer is top-most again.
void ShowAbout(QWidget* mainWindow);

// Builds the About text, shows `icon`, sounds the information beep and runs
// the About window modally; returns when it has been closed.
void FillAboutWindow(const QIcon& icon);

// Hands `target` (a "mailto:" or web address, or a file) to the desktop.
// Returns what went wrong as text, "" on success.  `window` stands for the
// owner a shell call would take; the desktop needs none.
QString OpenDocument(QWidget* window, const QString& target);

// The pointer over a link: a hand while it is the link under the mouse.
void HandCursorOn(QLabel* label);
void HandCursorOff(QLabel* label);

} // namespace umbrix
