#pragma once

#include "search/ResultRows.h"

#include <QAbstractListModel>
#include <QBasicTimer>
#include <QListView>
#include <functional>
#include <string>

class QFontMetrics;

namespace umbrix {

// The start of `text` that can show in `width` pixels, as a row is painted.
// Laying text out costs by its length, and a path of hundreds of characters
// in one of many narrow columns shows a few dozen.
QString visibleTextPart(const QString& text, int width, const QFontMetrics& metrics);

// The rows of one result list box as the view sees them.  Added rows become
// visible in batches, at most a few dozen times a second, so that a search
// that finds a row per microsecond is not slowed down by the view.  While
// rows keep coming that way the model is "filling"; an explicit commit()
// ends that.
class ResultListModel : public QAbstractListModel, private ResultRowsListener {
    Q_OBJECT

public:
    static constexpr int BytesRole = Qt::UserRole; // QByteArray, the exact bytes

    explicit ResultListModel(QObject* parent = nullptr);

    void add(std::string_view folder, std::string_view name,
             const platform::EntryIdentity& identity = {});
    // Takes one shown row out.
    void remove(int32_t row);
    // Takes out every row whose bytes `picks`; the number taken out.
    int32_t removeWhere(const std::function<bool(std::string_view bytes)>& picks);
    // Rows held, including those not yet shown.
    int32_t count() const { return rows_.count(); }
    // Shows every row added so far.
    void commit();
    void clear();

    const ResultRows& rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

signals:
    // Filling: rows come through the commit timer; an explicit commit ends it.
    void fillingChanged(bool filling);

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void beginInsertRows(int32_t first, int32_t last) override;
    void endInsertRows() override;
    void beginResetRows() override;
    void endResetRows() override;

    void setFilling(bool filling);

    ResultRows rows_;
    QBasicTimer commitTimer_;
    bool filling_ = false;
};

// One box of the result list lstFoundFiles: sorted rows, extended multiple
// selection, each row the full path of a found entry.  The accessors are the
// list box's own (ListCount, List, ListIndex, Selected, SelCount, TopIndex);
// those that address a row first show every row added so far.
//
// It behaves as a list box does rather than as a Qt view: a press on a row
// without Shift or Ctrl makes that row the selection at once (nothing is
// dragged from here), the other buttons leave the selection alone, and no
// context menu of its own opens.  Click tells of what a person did, never of
// what the program changed.
class ResultListBox : public QListView {
    Q_OBJECT

public:
    explicit ResultListBox(QWidget* parent = nullptr);

    // Appends one row, folder followed by name (bytes).
    void AddItem(std::string_view folder, std::string_view name,
                 const platform::EntryIdentity& identity = {});
    // Takes row `index` out; nothing happens outside the rows.
    void RemoveItem(int32_t index);
    void Clear();

    int32_t ListCount() const;
    // Display text of row `index`, "" outside the rows.
    QString List(int32_t index);
    // The exact bytes of row `index`, "" outside the rows.
    std::string ListPath(int32_t index);
    // The entry the walk found at row `index`; not known outside the rows.
    platform::EntryIdentity ListIdentity(int32_t index);

    // The focused row, -1 for none.
    int32_t ListIndex() const;
    // Moves the focused row without touching the selection; Shift with the
    // keys or the mouse then extends from that row.
    void setListIndex(int32_t index);

    bool Selected(int32_t index);
    void setSelected(int32_t index, bool selected);
    // Selects or deselects every row in one step.
    void setAllSelected(bool selected);
    int32_t SelCount() const;

    // The first visible row.
    int32_t TopIndex() const;
    void setTopIndex(int32_t index);

    // Height of one row in pixels.
    int itemHeight() const;

    ResultListModel& resultModel() { return model_; }

signals:
    // A left press on a row, whether or not it changed anything; the release
    // after a drag that changed the selection; a key of the box's own that
    // moved the focused row or changed the selection.
    void Click();
    void GotFocus();
    // Every press, after the box has taken a left one, and every release.
    // `pos` is in the viewport's pixels.
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint& pos);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint& pos);
    // Every key press before the box sees it; a slot that sets `key` to 0
    // keeps it from the box.
    void KeyDown(int& key, Qt::KeyboardModifiers modifiers);

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    ResultListModel model_;
    // The selection or the focused row changed since it was last reset.
    bool changed_ = false;
    // setListIndex at work: the view moves its focus without selecting.
    bool movingFocusOnly_ = false;
};

} // namespace umbrix
