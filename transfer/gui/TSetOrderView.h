#pragma once
// "セットした内容": the nine slots of one mapped item.
#include <QDialog>
#include <QStringList>

class QTableWidget;
class QPushButton;

namespace kanata {

class TSetOrderView : public QDialog {
    Q_OBJECT
public:
    // `slots` holds the shown text of each filled slot, in order.
    TSetOrderView(const QString& itemCaption, const QStringList& slotTexts,
                  QWidget* parent = nullptr);

    QTableWidget* sgOrder = nullptr;
    QPushButton* btnClose = nullptr;
};

} // namespace kanata
