#include "printing/gui/PrintLayoutGrid.h"

#include "platform/MessageService.h"
#include "ui/gui/ItemDrag.h"

#include <QDropEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kanata {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

PrintLayoutGrid::PrintLayoutGrid(std::array<std::vector<PrintItem>, 2> items,
                                 std::array<PrintLayout, 2> layouts, MessageService& messages,
                                 QWidget* parent)
    : QWidget(parent), items_(std::move(items)), layouts_(std::move(layouts)), messages_(messages) {
    createWidgets();
    arrange();
    connectButtons();
}

void PrintLayoutGrid::createWidgets() {
    lbxItems = new QListWidget(this);
    lvLayout = new QTreeWidget(this);
    lvLayout->setHeaderLabels({QStringLiteral("項目名"), QStringLiteral("項目幅")});
    lvLayout->setRootIsDecorated(false);
    lvLayout->header()->resizeSection(0, 190);
    // Items are dragged from the item list onto the order, where they land.
    lbxItems->setDragEnabled(true);
    lbxItems->setDragDropMode(QAbstractItemView::DragOnly);
    lvLayout->setAcceptDrops(true);
    lvLayout->viewport()->setAcceptDrops(true);
    lvLayout->setDragDropMode(QAbstractItemView::DropOnly);
    lvLayout->viewport()->installEventFilter(this);
    btnSet = new QPushButton(QStringLiteral("セット"), this);
    btnRemove = new QPushButton(QStringLiteral("削除"), this);
    btnClear = new QPushButton(QStringLiteral("全削除"), this);
    btnUp = new QToolButton(this);
    btnUp->setArrowType(Qt::UpArrow);
    btnDown = new QToolButton(this);
    btnDown->setArrowType(Qt::DownArrow);
    edtWidth = new QSpinBox(this);
}

void PrintLayoutGrid::arrange() {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("項目名："), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("印刷順："), this), 0, 2);
    grid->addWidget(lbxItems, 1, 0);
    auto* middle = new QVBoxLayout;
    middle->addStretch();
    for (QWidget* w : {static_cast<QWidget*>(btnSet), static_cast<QWidget*>(btnRemove),
                       static_cast<QWidget*>(btnClear), static_cast<QWidget*>(btnUp),
                       static_cast<QWidget*>(btnDown)})
        middle->addWidget(w);
    middle->addStretch();
    grid->addLayout(middle, 1, 1);
    grid->addWidget(lvLayout, 1, 2);
    grid->setRowStretch(1, 1);
}

void PrintLayoutGrid::connectButtons() {
    connect(btnSet, &QPushButton::clicked, this, [this] { btnSetClick(); });
    connect(lbxItems, &QListWidget::itemDoubleClicked, this, [this] { btnSetClick(); });
    connect(btnRemove, &QPushButton::clicked, this, [this] { btnRemoveClick(); });
    connect(btnClear, &QPushButton::clicked, this, [this] { replaceLayout({}); });
    connect(btnUp, &QToolButton::clicked, this, [this] { moveEntry(-1); });
    connect(btnDown, &QToolButton::clicked, this, [this] { moveEntry(+1); });
    connect(lvLayout, &QTreeWidget::currentItemChanged, this, [this] { selectedEntryChanged(); });
    connect(edtWidth, &QSpinBox::valueChanged, this, [this](int value) { widthChanged(value); });
}

void PrintLayoutGrid::showSource(PrintSource source) {
    source_ = source;
    fillItems();
    fillLayout(-1);
}

void PrintLayoutGrid::replaceLayout(PrintLayout layout) {
    shown() = std::move(layout);
    fillItems();
    fillLayout(-1);
}

void PrintLayoutGrid::fillItems() {
    const int keep = lbxItems->currentRow();
    lbxItems->clear();
    const auto& items = items_[index()];
    for (int i : UnplacedItems(shown(), static_cast<int>(items.size()))) {
        auto* row = new QListWidgetItem(Q(items[static_cast<std::size_t>(i)].caption), lbxItems);
        row->setData(Qt::UserRole, i);
    }
    lbxItems->setCurrentRow(std::clamp(keep, 0, lbxItems->count() - 1));
}

void PrintLayoutGrid::fillLayout(int select) {
    lvLayout->clear();
    const auto& items = items_[index()];
    for (const PrintLayoutEntry& e : shown())
        new QTreeWidgetItem(lvLayout, {Q(items[static_cast<std::size_t>(e.item)].caption),
                                       QString::number(e.width)});
    if (select >= 0 && select < lvLayout->topLevelItemCount())
        lvLayout->setCurrentItem(lvLayout->topLevelItem(select));
    selectedEntryChanged();
}

void PrintLayoutGrid::selectedEntryChanged() {
    const int row = lvLayout->indexOfTopLevelItem(lvLayout->currentItem());
    filling_ = true;
    if (row < 0) {
        edtWidth->setRange(0, 0);
        edtWidth->setValue(0);
        edtWidth->setEnabled(false);
    } else {
        edtWidth->setEnabled(true);
        edtWidth->setRange(1, kMaxColumnWidth);
        edtWidth->setValue(shown()[static_cast<std::size_t>(row)].width);
    }
    filling_ = false;
}

void PrintLayoutGrid::widthChanged(int value) {
    const int row = lvLayout->indexOfTopLevelItem(lvLayout->currentItem());
    if (filling_ || row < 0 || value < 1)
        return;
    shown()[static_cast<std::size_t>(row)].width = value;
    lvLayout->currentItem()->setText(1, QString::number(value));
}

void PrintLayoutGrid::btnSetClick() {
    QListWidgetItem* chosen = lbxItems->currentItem();
    if (!chosen)
        return;
    const int item = chosen->data(Qt::UserRole).toInt();
    PrintLayout& layout = shown();
    const int current = lvLayout->indexOfTopLevelItem(lvLayout->currentItem());
    const std::size_t at = current < 0 ? layout.size() : static_cast<std::size_t>(current);
    const auto outcome =
        PlaceItem(layout, at, item, items_[index()][static_cast<std::size_t>(item)].defaultWidth);
    if (outcome == PlaceOutcome::LayoutFull) {
        messages_.warning("設定できる項目数は100項目です  \r\nこれ以上追加できません  ", window());
        return;
    }
    if (outcome != PlaceOutcome::Placed)
        return;
    fillItems();
    fillLayout(static_cast<int>(at));
}

bool PrintLayoutGrid::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (watched == lvLayout->viewport() &&
        (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop))
        return dropOnLayout(static_cast<QDropEvent*>(event));
    return QWidget::eventFilter(watched, event);
}

// Only rows of the item list are taken: a drop names its source when it comes
// from this program, and one from outside carries no row of ours.
bool PrintLayoutGrid::dropOnLayout(QDropEvent* drop) {
    const bool fromItems = drop->source() == lbxItems || !drop->source();
    const int row = fromItems ? DraggedRow(drop->mimeData()) : -1;
    if (row < 0 || row >= lbxItems->count()) {
        drop->ignore();
        return true;
    }
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (drop->type() == QEvent::Drop) {
        lvLayout->setCurrentItem(lvLayout->itemAt(drop->position().toPoint()));
        lbxItems->setCurrentRow(row);
        btnSetClick();
    }
    return true;
}

void PrintLayoutGrid::btnRemoveClick() {
    const int row = lvLayout->indexOfTopLevelItem(lvLayout->currentItem());
    if (row < 0)
        return;
    PrintLayout& layout = shown();
    layout.erase(layout.begin() + row);
    fillItems();
    fillLayout(std::min(row, static_cast<int>(layout.size()) - 1));
}

void PrintLayoutGrid::moveEntry(int by) {
    const int row = lvLayout->indexOfTopLevelItem(lvLayout->currentItem());
    PrintLayout& layout = shown();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= static_cast<int>(layout.size()))
        return;
    std::swap(layout[static_cast<std::size_t>(row)], layout[static_cast<std::size_t>(to)]);
    fillLayout(to);
}

} // namespace kanata
