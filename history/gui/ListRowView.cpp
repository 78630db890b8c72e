#include "history/gui/ListRowView.h"

#include "settings/WindowGeometry.h"

#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace kanata {

int ScaledPixels(const QWidget* widget, int pixelsAt96) {
    const int dpi = widget ? widget->logicalDpiX() : 96;
    return toScreenPixels(pixelsAt96, dpi > 0 ? dpi : 96);
}

ListRowModel::ListRowModel(QStringList titles, std::vector<int> rightAligned, QObject* parent)
    : QAbstractTableModel(parent), titles_(std::move(titles)),
      rightAligned_(std::move(rightAligned)) {}

void ListRowModel::setTitles(const QStringList& titles) {
    titles_ = titles;
    emit headerDataChanged(Qt::Horizontal, 0, static_cast<int>(titles_.size()) - 1);
}

void ListRowModel::setRows(std::vector<QStringList> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    openRow_ = -1;
    endResetModel();
}

void ListRowModel::setOpenRow(int row) {
    if (row < -1 || row >= rowCount())
        return;
    const int old = openRow_;
    openRow_ = row;
    for (int r : {old, row})
        if (r >= 0)
            emit dataChanged(index(r, 0), index(r, columnCount() - 1));
}

int ListRowModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ListRowModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(titles_.size());
}

QVariant ListRowModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    switch (role) {
    case Qt::DisplayRole: {
        const QStringList& cells = rows_[static_cast<std::size_t>(index.row())];
        return index.column() < cells.size() ? cells[index.column()] : QString();
    }
    case Qt::TextAlignmentRole: {
        const bool right = std::find(rightAligned_.begin(), rightAligned_.end(), index.column()) !=
                           rightAligned_.end();
        return QVariant::fromValue(Qt::AlignVCenter | (right ? Qt::AlignRight : Qt::AlignLeft));
    }
    case kOpenRowRole:
        return index.row() == openRow_;
    default:
        return {};
    }
}

QVariant ListRowModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= titles_.size())
        return {};
    if (role == Qt::DisplayRole)
        return titles_[section];
    if (role == Qt::TextAlignmentRole) {
        const bool right =
            std::find(rightAligned_.begin(), rightAligned_.end(), section) != rightAligned_.end();
        return QVariant::fromValue(Qt::AlignVCenter | (right ? Qt::AlignRight : Qt::AlignLeft));
    }
    return {};
}

void ListRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette& pal = option.palette;
    painter->save();
    painter->fillRect(option.rect, selected ? pal.color(QPalette::Active, QPalette::Highlight)
                                            : pal.color(QPalette::Base));
    QColor text = selected ? pal.color(QPalette::Active, QPalette::HighlightedText)
                           : pal.color(QPalette::Text);
    if (index.data(ListRowModel::kOpenRowRole).toBool())
        text = selected ? QColor(Qt::yellow) : QColor(Qt::blue);
    painter->setPen(text);
    painter->setFont(option.font);
    const int margin = ScaledPixels(option.widget, 4);
    const QRect cell = option.rect.adjusted(margin, 0, -margin, 0);
    const QString shown =
        option.fontMetrics.elidedText(index.data().toString(), Qt::ElideRight, cell.width());
    const auto align = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
    painter->drawText(cell, static_cast<int>(align | Qt::TextSingleLine), shown);
    painter->setPen(QColor(128, 128, 128));
    painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
    painter->restore();
}

QSize ListRowDelegate::sizeHint(const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(option.fontMetrics.height() + 2);
    return size;
}

RowListView::RowListView(QWidget* parent) : QTreeView(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setItemDelegate(new ListRowDelegate(this));
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setSectionResizeMode(QHeaderView::Interactive);
    header()->setContextMenuPolicy(Qt::CustomContextMenu);
}

int RowListView::caretRow() const {
    return currentIndex().isValid() ? currentIndex().row() : -1;
}

int RowListView::topRow() const {
    const QModelIndex top = indexAt(QPoint(1, 1));
    return top.isValid() ? top.row() : 0;
}

void RowListView::setTopRow(int row) {
    if (!model() || row < 0 || row >= model()->rowCount())
        return;
    scrollTo(model()->index(row, 0), QAbstractItemView::PositionAtTop);
}

std::vector<int> RowListView::selectedRowNumbers() const {
    std::vector<int> rows;
    if (!selectionModel())
        return rows;
    for (const QModelIndex& i : selectionModel()->selectedRows())
        rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void RowListView::selectRows(const std::vector<int>& rows, int caret, bool caretSelected) {
    QItemSelectionModel* sm = selectionModel();
    if (!sm || !model())
        return;
    QItemSelection selection;
    for (int r : rows)
        selection.select(model()->index(r, 0), model()->index(r, model()->columnCount() - 1));
    sm->select(selection, QItemSelectionModel::ClearAndSelect);
    if (caret >= 0 && caret < model()->rowCount()) {
        auto flags = caretSelected ? QItemSelectionModel::Select | QItemSelectionModel::Rows
                                   : QItemSelectionModel::NoUpdate;
        sm->setCurrentIndex(model()->index(caret, 0), flags);
    }
}

void RowListView::keyPressEvent(QKeyEvent* event) {
    const auto mods = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (!(mods & Qt::ShiftModifier) && pageKeyHandler &&
            pageKeyHandler(event->key(), caretRow())) {
            event->accept();
            return;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit enterPressed();
        event->accept();
        return;
    case Qt::Key_Delete:
        emit deletePressed();
        event->accept();
        return;
    case Qt::Key_A:
        if (mods == Qt::ControlModifier) {
            // Everything selected; caret and top row stay where they are.
            const int top = topRow();
            const QModelIndex caret = currentIndex();
            selectAll();
            if (caret.isValid())
                selectionModel()->setCurrentIndex(caret, QItemSelectionModel::NoUpdate);
            setTopRow(top);
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    QTreeView::keyPressEvent(event);
}

} // namespace kanata
