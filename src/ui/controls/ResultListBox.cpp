#include "ui/controls/ResultListBox.h"

#include <QAbstractItemDelegate>
#include <QFontMetrics>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimerEvent>
#include <algorithm>
#include <string_view>
#include <utility>

namespace umbrix {
namespace {

// How often collected rows are shown while a search adds them.
constexpr int kCommitIntervalMs = 40;

// Rows a filling box lays out per round of window events.  A list view lays
// out every row again whenever rows are inserted; in one pass that costs a
// box of 30 000 rows a few milliseconds per commit, and with thirty boxes
// the window would stall.  The rows at the top, the ones that show, come
// first.
constexpr int kRowsLaidOutPerRound = 100;

bool takesNoRoom(QChar c)
{
    return c.isLowSurrogate() || c.isMark() || c.category() == QChar::Other_Format;
}

bool writtenRightToLeft(QChar c)
{
    switch (c.direction()) {
    case QChar::DirR:
    case QChar::DirAL:
    case QChar::DirAN:
    case QChar::DirRLE:
    case QChar::DirRLO:
    case QChar::DirRLI:
    case QChar::DirFSI:
        return true;
    default:
        return false;
    }
}

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
                          visibleTextPart(index.data(Qt::DisplayRole).toString(), text.width(),
                                          painter->fontMetrics()));
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

// Marks and format characters take no room of their own, so they are not
// counted; the bound is the narrowest glyph's advance, halved against
// kerning.  Text with a right-to-left run is left whole: its visual order
// differs from the order of its characters, so its start is not its left.
QString visibleTextPart(const QString& text, int width, const QFontMetrics& metrics)
{
    int narrowest = metrics.horizontalAdvance(QLatin1Char(' '));
    for (const char c : std::string_view(".,:;'!|ijlI"))
        narrowest = std::min(narrowest, metrics.horizontalAdvance(QLatin1Char(c)));
    const qsizetype fits =
        2 * static_cast<qsizetype>(std::max(0, width)) / std::max(1, narrowest) + 4;
    if (text.size() <= fits)
        return text;
    qsizetype counted = 0;
    qsizetype end = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (writtenRightToLeft(c))
            return text;
        if (end < 0 && !takesNoRoom(c) && ++counted > fits)
            end = i;
    }
    return end < 0 ? text : text.left(end);
}

ResultListModel::ResultListModel(QObject* parent) : QAbstractListModel(parent) {}

void ResultListModel::add(std::string_view folder, std::string_view name,
                          const platform::EntryIdentity& identity)
{
    rows_.add(folder, name, identity);
    if (!commitTimer_.isActive())
        commitTimer_.start(kCommitIntervalMs, Qt::CoarseTimer, this);
}

void ResultListModel::commit()
{
    commitTimer_.stop();
    rows_.commit(this);
    setFilling(false);
}

void ResultListModel::setFilling(bool filling)
{
    if (filling_ == filling)
        return;
    filling_ = filling;
    emit fillingChanged(filling);
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

int32_t ResultListModel::removeWhere(const std::function<bool(std::string_view)>& picks)
{
    commit();
    const ResultRows::Runs runs = rows_.runsWhere(picks);
    int32_t removed = 0;
    for (const auto& run : runs)
        removed += run.second;
    if (runs.size() > ResultRunsToTell) {
        beginResetModel();
        rows_.removeRuns(runs);
        endResetModel();
        return removed;
    }
    // Run by run from the last, so that the view keeps the selection of the
    // rows that stay.
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
        beginRemoveRows(QModelIndex(), run->first, run->first + run->second - 1);
        rows_.removeRuns({*run});
        endRemoveRows();
    }
    return removed;
}

void ResultListModel::clear()
{
    commitTimer_.stop();
    setFilling(false);
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
    if (event->timerId() == commitTimer_.timerId()) {
        commitTimer_.stop();
        setFilling(true);
        rows_.commit(this);
    } else {
        QAbstractListModel::timerEvent(event);
    }
}

void ResultListModel::beginInsertRows(int32_t first, int32_t last)
{
    QAbstractListModel::beginInsertRows(QModelIndex(), first, last);
}

void ResultListModel::beginResetRows()
{
    QAbstractListModel::beginResetModel();
}

void ResultListModel::endResetRows()
{
    QAbstractListModel::endResetModel();
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
    // A filling box lays out its rows a batch per round; the first look at
    // its rows afterwards lays out all of them at once.
    connect(&model_, &ResultListModel::fillingChanged, this, [this](bool filling) {
        if (filling) {
            setLayoutMode(QListView::Batched);
            setBatchSize(kRowsLaidOutPerRound);
        } else {
            setLayoutMode(QListView::SinglePass);
            scheduleDelayedItemsLayout();
        }
    });
    // The window opens its own menu on a right click and on the menu key;
    // the platform's context-menu request must not reach it a second time.
    setContextMenuPolicy(Qt::PreventContextMenu);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { changed_ = true; });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { changed_ = true; });
}

QItemSelectionModel::SelectionFlags ResultListBox::selectionCommand(const QModelIndex& index,
                                                                    const QEvent* event) const
{
    if (movingFocusOnly_)
        return QItemSelectionModel::NoUpdate;
    // A view waits for the release before a press on a selected row drops
    // the rest of the selection, in case the rows are dragged away.  A list
    // box drops it at once, and the window's press handler relies on that.
    if (event && event->type() == QEvent::MouseButtonPress && index.isValid()) {
        const auto* mouse = static_cast<const QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            !(mouse->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)))
            return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
    }
    return QListView::selectionCommand(index, event);
}

void ResultListBox::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    const bool left = event->button() == Qt::LeftButton;
    if (left) {
        QListView::mousePressEvent(event);
    } else {
        setFocus(Qt::MouseFocusReason);
        event->accept();
    }
    // Reset before the window's handler runs: it may yield, and the release
    // handled meanwhile must not take the press's own change for a drag.
    changed_ = false;
    emit MouseDown(event->button(), event->modifiers(), pos);
    if (left && indexAt(pos).isValid())
        emit Click();
    changed_ = false;
}

void ResultListBox::mouseReleaseEvent(QMouseEvent* event)
{
    const bool left = event->button() == Qt::LeftButton;
    if (left)
        QListView::mouseReleaseEvent(event);
    else
        event->accept();
    const bool dragged = left && changed_;
    changed_ = false;
    if (dragged)
        emit Click();
    emit MouseUp(event->button(), event->modifiers(), event->position().toPoint());
}

void ResultListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Only the left button's second press is a double click here; the
    // others are presses like any other.
    if (event->button() == Qt::LeftButton)
        QListView::mouseDoubleClickEvent(event);
    else
        mousePressEvent(event);
}

void ResultListBox::keyPressEvent(QKeyEvent* event)
{
    int key = event->key();
    emit KeyDown(key, event->modifiers());
    if (key == 0) {
        event->accept();
        return;
    }
    changed_ = false;
    QListView::keyPressEvent(event);
    if (std::exchange(changed_, false))
        emit Click();
}

void ResultListBox::focusInEvent(QFocusEvent* event)
{
    QListView::focusInEvent(event);
    emit GotFocus();
}

void ResultListBox::AddItem(std::string_view folder, std::string_view name,
                            const platform::EntryIdentity& identity)
{
    model_.add(folder, name, identity);
}

void ResultListBox::RemoveItem(int32_t index)
{
    model_.remove(index);
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

platform::EntryIdentity ResultListBox::ListIdentity(int32_t index)
{
    model_.commit();
    return model_.rows().identity(index);
}

int32_t ResultListBox::ListIndex() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void ResultListBox::setListIndex(int32_t index)
{
    model_.commit();
    const QModelIndex target =
        index >= 0 && index < model_.rowCount() ? model_.index(index) : QModelIndex();
    // Through the view rather than its selection model: only the view's own
    // move also moves the anchor that a Shift range is taken from.
    movingFocusOnly_ = true;
    setCurrentIndex(target);
    movingFocusOnly_ = false;
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
