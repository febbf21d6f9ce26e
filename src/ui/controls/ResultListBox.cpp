#include "ui/controls/ResultListBox.h"

#include <QAbstractItemDelegate>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimerEvent>

namespace umbrix {
namespace {

// How often collected rows are shown while a search adds them.
constexpr int kCommitIntervalMs = 40;

// A list box row: its text on one line, in the highlight colours when
// selected.  Nothing to lay out or elide, which keeps repainting a box of long
// paths cheap while a search fills it.
class RowDelegate : public QAbstractItemDelegate {
public:
    using QAbstractItemDelegate::QAbstractItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette::ColorGroup group =
            option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
        if (selected)
            painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));
        painter->setPen(
            option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        const QRect text = option.rect.adjusted(kTextMargin, 0, 0, 0);
        painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          index.data(Qt::DisplayRole).toString());
        if (option.state & QStyle::State_HasFocus) {
            QPen pen(option.palette.color(group, QPalette::Text), 1, Qt::DotLine);
            painter->setPen(pen);
            painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
        }
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QString text = index.data(Qt::DisplayRole).toString();
        return {option.fontMetrics.horizontalAdvance(text) + 2 * kTextMargin,
                option.fontMetrics.height()};
    }

private:
    static constexpr int kTextMargin = 2;
};

} // namespace

ResultListModel::ResultListModel(QObject* parent) : QAbstractListModel(parent) {}

void ResultListModel::add(std::string_view folder, std::string_view name)
{
    rows_.add(folder, name);
    if (!commitTimer_.isActive())
        commitTimer_.start(kCommitIntervalMs, Qt::CoarseTimer, this);
}

void ResultListModel::commit()
{
    commitTimer_.stop();
    rows_.commit(this);
}

void ResultListModel::remove(int32_t row)
{
    commit();
    if (row < 0 || row >= rows_.shown())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    rows_.remove(row);
    endRemoveRows();
}

void ResultListModel::clear()
{
    commitTimer_.stop();
    beginResetModel();
    rows_.clear();
    endResetModel();
}

int ResultListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows_.shown();
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rows_.shown())
        return {};
    switch (role) {
    case Qt::DisplayRole: {
        const std::string_view text = rows_.display(index.row());
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    case BytesRole: {
        const std::string_view bytes = rows_.bytes(index.row());
        return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    default:
        return {};
    }
}

void ResultListModel::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == commitTimer_.timerId())
        commit();
    else
        QAbstractListModel::timerEvent(event);
}

void ResultListModel::beginInsertRows(int32_t first, int32_t last)
{
    QAbstractListModel::beginInsertRows(QModelIndex(), first, last);
}

void ResultListModel::endInsertRows()
{
    QAbstractListModel::endInsertRows();
}

ResultListBox::ResultListBox(QWidget* parent) : QListView(parent)
{
    setModel(&model_);
    setItemDelegate(new RowDelegate(this));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void ResultListBox::AddItem(std::string_view folder, std::string_view name)
{
    model_.add(folder, name);
}

void ResultListBox::RemoveItem(int32_t index)
{
    model_.remove(index);
}

void ResultListBox::keyPressEvent(QKeyEvent* event)
{
    emit KeyDown(event->key(), event->modifiers());
    QListView::keyPressEvent(event);
}

void ResultListBox::Clear()
{
    model_.clear();
}

int32_t ResultListBox::ListCount() const
{
    return model_.count();
}

QString ResultListBox::List(int32_t index)
{
    model_.commit();
    const std::string_view text = model_.rows().display(index);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ResultListBox::ListPath(int32_t index)
{
    model_.commit();
    return std::string(model_.rows().bytes(index));
}

int32_t ResultListBox::ListIndex() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void ResultListBox::setListIndex(int32_t index)
{
    model_.commit();
    if (index < 0 || index >= model_.rowCount()) {
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        return;
    }
    selectionModel()->setCurrentIndex(model_.index(index), QItemSelectionModel::NoUpdate);
}

bool ResultListBox::Selected(int32_t index)
{
    model_.commit();
    return index >= 0 && index < model_.rowCount() &&
           selectionModel()->isRowSelected(index, QModelIndex());
}

void ResultListBox::setSelected(int32_t index, bool selected)
{
    model_.commit();
    if (index < 0 || index >= model_.rowCount())
        return;
    selectionModel()->select(model_.index(index), selected ? QItemSelectionModel::Select
                                                           : QItemSelectionModel::Deselect);
}

void ResultListBox::setAllSelected(bool selected)
{
    model_.commit();
    if (!selected) {
        selectionModel()->clearSelection();
        return;
    }
    if (model_.rowCount() == 0)
        return;
    const QItemSelection all(model_.index(0), model_.index(model_.rowCount() - 1));
    selectionModel()->select(all, QItemSelectionModel::Select);
}

int32_t ResultListBox::SelCount() const
{
    int32_t count = 0;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        count += range.height();
    return count;
}

int32_t ResultListBox::TopIndex() const
{
    const QModelIndex top = indexAt(QPoint(1, 1));
    return top.isValid() ? top.row() : 0;
}

void ResultListBox::setTopIndex(int32_t index)
{
    model_.commit();
    if (index >= 0 && index < model_.rowCount())
        scrollTo(model_.index(index), QAbstractItemView::PositionAtTop);
}

int ResultListBox::itemHeight() const
{
    const int rows = model_.rowCount();
    if (rows > 0) {
        const int height = sizeHintForRow(0);
        if (height > 0)
            return height;
    }
    return fontMetrics().height();
}

} // namespace umbrix
