#include "transfer/gui/TConstantInput.h"

#include "ui/gui/Cp932ByteLimit.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kanata {

TConstantInput::TConstantInput(int maxLength, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("固定値の入力"));
    edtValue = new QLineEdit(this);
    if (maxLength > 0)
        ui::LimitToCp932Bytes(edtValue, maxLength);
    btnDate = new QPushButton(QStringLiteral("現在の日付をセット（年月日）"), this);
    btnTime = new QPushButton(QStringLiteral("現在の時刻をセット（時分秒）"), this);
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    for (QPushButton* b : {btnDate, btnTime, btnOK, btnCancel})
        b->setAutoDefault(false);

    auto* now = new QHBoxLayout;
    now->addWidget(btnDate);
    now->addWidget(btnTime);
    auto* closing = new QHBoxLayout;
    closing->addStretch(1);
    closing->addWidget(btnOK);
    closing->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("固定値を入力してください。"), this));
    layout->addWidget(
        new QLabel(QStringLiteral("入力された値は、取り込む全てのデータにセットされます。"), this));
    layout->addWidget(edtValue);
    layout->addLayout(now);
    layout->addLayout(closing);

    connect(btnDate, &QPushButton::clicked, this, [this] {
        edtValue->setText(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
    });
    connect(btnTime, &QPushButton::clicked, this,
            [this] { edtValue->setText(QTime::currentTime().toString(QStringLiteral("HHmmss"))); });
    connect(btnOK, &QPushButton::clicked, this, &TConstantInput::accept);
    connect(btnCancel, &QPushButton::clicked, this, &TConstantInput::reject);
    edtValue->installEventFilter(this);
}

QString TConstantInput::value() const {
    return edtValue->text().trimmed();
}

void TConstantInput::accept() {
    if (!value().isEmpty())
        QDialog::accept();
}

bool TConstantInput::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edtValue && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            (value().isEmpty() ? btnCancel : btnOK)->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace kanata
