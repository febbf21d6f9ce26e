#include "ui/controls/NameListView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>

namespace umbrix {
namespace {

// Draws each row shifted right by its nesting level, the way a directory
// chain shows its depth.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyleOptionViewItem shifted(option);
        shifted.rect.setLeft(shifted.rect.left() + indentOf(option, index));
        QStyledItemDelegate::paint(painter, shifted, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.rwidth() += indentOf(option, index);
        return size;
    }

private:
    static int indentOf(const QStyleOptionViewItem& option, const QModelIndex& index)
    {
        return index.data(NameRowModel::IndentRole).toInt() *
               option.fontMetrics.averageCharWidth() * 2;
    }
};

} // namespace

void NameRowModel::setRows(std::vector<NameRow> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

int NameRowModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant NameRowModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= static_cast<int>(rows_.size()))
        return {};
    const NameRow& row = rows_[static_cast<size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return row.text;
    case Qt::DecorationRole:
        return row.icon.isNull() ? QVariant() : QVariant(row.icon);
    case BytesRole:
        return QByteArray(row.bytes.data(), static_cast<qsizetype>(row.bytes.size()));
    case IndentRole:
        return row.indent;
    default:
        return {};
    }
}

NameListView::NameListView(QAbstractListModel* model, QWidget* parent)
    : QListView(parent), model_(model)
{
    model_->setParent(this);
    setModel(model_);
    setItemDelegate(new IndentDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setTextElideMode(Qt::ElideRight);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { reportHighlight(); });
}

int NameListView::currentRow() const
{
    // The selected row, not the cursor: keyboard focus alone may put the
    // cursor on a row without choosing it, and while the highlight moves the
    // selection changes before the cursor does.
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void NameListView::replaceRows(const std::function<void()>& replace, int row)
{
    quiet_ = true;
    replace();
    if (!highlight(row))
        scrollToTop();
    reported_ = currentRow();
    quiet_ = false;
}

void NameListView::setCurrentRow(int row)
{
    highlight(row);
    reportHighlight();
}

bool NameListView::highlight(int row)
{
    if (row < 0 || row >= model_->rowCount()) {
        selectionModel()->clear();
        return false;
    }
    const QModelIndex index = model_->index(row);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
    return true;
}

bool NameListView::highlightAt(const QPoint& pos)
{
    const QModelIndex index = indexAt(pos);
    if (!index.isValid())
        return false;
    setCurrentRow(index.row());
    return true;
}

void NameListView::reportHighlight()
{
    if (quiet_)
        return;
    const int row = currentRow();
    if (row == reported_)
        return;
    reported_ = row;
    emit Click();
}

void NameListView::mousePressEvent(QMouseEvent* event)
{
    emit MouseDown(event->button(), event->modifiers(), event->position().toPoint());
    if (event->button() != Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    QListView::mousePressEvent(event);
}

void NameListView::keyPressEvent(QKeyEvent* event)
{
    emit KeyDown(event->key(), event->modifiers());
    QListView::keyPressEvent(event);
}

void NameListView::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QListView::currentChanged(current, previous);
    reportHighlight();
}

} // namespace umbrix
