#include "transfer/gui/TSetOrderView.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kanata {

TSetOrderView::TSetOrderView(const QString& itemCaption, const QStringList& slotTexts,
                             QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("セットした内容"));
    sgOrder = new QTableWidget(9, 2, this);
    sgOrder->verticalHeader()->hide();
    sgOrder->setHorizontalHeaderLabels({QStringLiteral("順"), itemCaption});
    sgOrder->horizontalHeader()->setStretchLastSection(true);
    sgOrder->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgOrder->setColumnWidth(0, 40);
    for (int row = 0; row < 9; ++row) {
        sgOrder->setItem(row, 0, new QTableWidgetItem(QString::asprintf("%2d", row + 1)));
        sgOrder->setItem(row, 1,
                         new QTableWidgetItem(row < slotTexts.size() ? slotTexts[row] : QString()));
    }
    btnClose = new QPushButton(QStringLiteral("閉じる"), this);
    connect(btnClose, &QPushButton::clicked, this, &TSetOrderView::accept);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sgOrder);
    layout->addLayout(bottom);
    resize(360, 340);
}

} // namespace kanata
