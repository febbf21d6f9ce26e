#pragma once

#include "platform/EntryReach.h"

#include <QAbstractListModel>
#include <QIcon>
#include <QListView>
#include <functional>
#include <string>
#include <vector>

namespace umbrix {

// One row of a name list: the text shown and the exact bytes behind it.
struct NameRow {
    QString text;
    std::string bytes;
    int indent = 0; // nesting level, drawn as a left margin
    QIcon icon;
    platform::EntryIdentity identity; // what the entry was when listed
};

// The rows of a name list, replaced in one go so that ten thousand entries
// cost one model reset instead of ten thousand inserts.
class NameRowModel : public QAbstractListModel {
    Q_OBJECT

public:
    static constexpr int BytesRole = Qt::UserRole;      // QByteArray, the exact bytes
    static constexpr int IndentRole = Qt::UserRole + 1; // int

    using QAbstractListModel::QAbstractListModel;

    void setRows(std::vector<NameRow> rows);
    const std::vector<NameRow>& rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<NameRow> rows_;
};

// The list view shared by the directory and file lists: a single highlighted
// row, no editing, and the events the window reacts to.  A press of any
// button but the left one leaves the highlight to the window, which moves it
// with highlightAt before it opens a menu for the highlighted entry.
class NameListView : public QListView {
    Q_OBJECT

public:
    // The view takes `model` as its child.
    NameListView(QAbstractListModel* model, QWidget* parent);

    // Highlights the row under `pos` (the viewport's pixels, as MouseDown
    // gives them) as a left press would; Click follows when it moves.  False,
    // and the highlight left alone, when no row lies there.
    bool highlightAt(const QPoint& pos);

signals:
    // The highlight moved to another row (mouse, keys or the program), without
    // anything being opened.
    void Click();
    // Every mouse press, before the list reacts to it.
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint& pos);
    // Every key press, before the list reacts to it.
    void KeyDown(int key, Qt::KeyboardModifiers modifiers);

protected:
    // Runs `replace`, which puts new rows in the model, and highlights
    // `currentRow` (-1: none) without Click.
    void replaceRows(const std::function<void()>& replace, int currentRow);
    int currentRow() const;
    // Highlights `row` (-1: none); Click follows when the row changes.
    void setCurrentRow(int row);

    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    // Emits Click when the highlighted row differs from the one last seen.
    void reportHighlight();
    // Makes `row` the only highlighted row and scrolls to it; a row out of
    // range clears the highlight and gives false.
    bool highlight(int row);

    QAbstractListModel* model_;
    bool quiet_ = false;
    int reported_ = -1;
};

} // namespace umbrix
