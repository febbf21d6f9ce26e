#pragma once

#include <QPoint>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>

class QAction;
class QMenu;
class QMouseEvent;
class QPlainTextEdit;

namespace umbrix {

// The on-screen error log (fview): a small frameless light-yellow window
// that stays above the others while shown.  It is moved by dragging its
// surface, remembers its place in the per-user settings ("LogLeft",
// "LogTop", in twips) after every drag and when it is destroyed, and hides on
// a Ctrl+click.  A right click opens Iconize / Clear / Close; a double click
// offers to clear the log.
//
// Text lengths are counted as Qt counts them: a line break is one character,
// where the Windows text box counted CR LF as two.
class LogViewer : public QWidget {
    Q_OBJECT
public:
    // A log longer than this is emptied before the next entry goes in.
    static constexpr int kMaxLogLength = 32600;

    // Made hidden, at the stored place.  `mainWindow` is what "Iconize"
    // minimizes; it may be null.
    explicit LogViewer(QWidget* mainWindow = nullptr);
    // Stores the place, as at every unload.
    ~LogViewer() override;

    // Adds the entry and an empty line after it, puts the caret on that empty
    // line, and shows the viewer when logging is on or `ForceView` asks.  A
    // log of more than kMaxLogLength characters is emptied first.  CR LF, LF
    // or CR in the entry each break a line.
    void Log(const QString& LogText, bool ForceView = false);
    // Shows the viewer, above all other windows.  Hide with hide().
    void View();
    void Clear();
    bool isEmpty() const;
    // Entries that went into the log while the viewer was off the screen,
    // counted since it was made; clearing the log does not take them back.
    int32_t unseenEntries() const { return unseen_; }
    // The log's text, line breaks as "\n".
    QString text() const;

    void setMainWindow(QWidget* mainWindow);
    // Stores where the viewer stands now ("LogLeft", "LogTop").
    void storePlace();
    // Where the viewer asks whether logging is on (the program's LogErrors);
    // without one, logging is off.
    void setLogSwitch(std::function<bool()> isOn) { logSwitch_ = std::move(isOn); }

    // The parts, for the program's tests.
    QPlainTextEdit* txtLog() const { return txtLog_; }
    QMenu* mnu() const { return mnu_; }
    QAction* mnuIconize() const { return mnuIconize_; }
    QAction* mnuClear() const { return mnuClear_; }
    QAction* mnuClose() const { return mnuClose_; }

    // Twips per logical pixel on the viewer's screen (15 at 96 DPI).
    double twipsPerPixel() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Each returns true when the event was the viewer's.
    bool ViewerMouseDown(QMouseEvent* event);
    bool viewerMouseMove(QMouseEvent* event);
    bool viewerMouseUp(QMouseEvent* event);
    void txtLog_DblClick();

    void loadPosition();

    enum class Drag { None, Pressed, Manual, System };

    QPlainTextEdit* txtLog_;
    QMenu* mnu_;
    QAction* mnuIconize_;
    QAction* mnuClear_;
    QAction* mnuClose_;
    QPointer<QWidget> mainWindow_;
    Drag drag_ = Drag::None;
    QPoint pressAt_;
    QPoint grabOffset_;
    QTimer systemMoveSettled_;
    std::function<bool()> logSwitch_;
    int32_t unseen_ = 0;
    QString lastUnseen_;
};

} // namespace umbrix
