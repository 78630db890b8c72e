#include "roster/gui/MeiboCallTable.h"

#include "roster/gui/MeiboHistoryModel.h"

#include <QHeaderView>
#include <QMenu>

namespace kanata {

MeiboCallTable::MeiboCallTable(MeiboCallHistory& history, const std::array<std::string, 3>& items,
                               QWidget* parent)
    : QTableView(parent), model_(new MeiboHistoryModel(history, items, this)) {
    setModel(model_);
    verticalHeader()->hide();
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setMinimumHeight(140);
    resetWidths();
    horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(horizontalHeader(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { headerMenu(at); });
}

void MeiboCallTable::reload() {
    model_->reload();
}

void MeiboCallTable::resetWidths() {
    const int widths[] = {40, 90, 64, 60, 80, 80, 80};
    for (int c = 0; c < 7; ++c)
        setColumnWidth(c, widths[c]);
}

void MeiboCallTable::headerMenu(const QPoint& at) {
    QMenu menu(this);
    QAction* reset = menu.addAction("項目幅を初期値に戻す(&R)");
    if (menu.exec(horizontalHeader()->mapToGlobal(at)) == reset)
        resetWidths();
}

} // namespace kanata
