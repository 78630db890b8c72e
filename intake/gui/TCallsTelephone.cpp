#include "intake/gui/TCallsTelephone.h"

#include "intake/DialOut.h"
#include "platform/MessageService.h"
#include "settings/IniFile.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kanata {

TCallsTelephone::TCallsTelephone(const DialLine& line, IniFile& settings, MessageService& messages,
                                 std::function<void(std::int32_t, const std::string&)> dial,
                                 QWidget* owner)
    : QDialog(owner), line_(line), settings_(settings), messages_(messages),
      dial_(std::move(dial)) {
    setObjectName(QStringLiteral("TCallsTelephone"));
    setWindowTitle(QStringLiteral("発信"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* number = new QGroupBox(QStringLiteral("電話番号"), this);
    cbxTelNo = new QComboBox(number);
    cbxTelNo->setEditable(true);
    cbxTelNo->setMinimumWidth(220);
    (new QVBoxLayout(number))->addWidget(cbxTelNo);
    layout->addWidget(number);

    grpPort = new QGroupBox(QStringLiteral("アナログポート"), this);
    cbxPort = new QComboBox(grpPort);
    (new QVBoxLayout(grpPort))->addWidget(cbxPort);
    layout->addWidget(grpPort);
    grpExtension = new QGroupBox(QStringLiteral("発信内線番号"), this);
    edtExtension = new QLineEdit(grpExtension);
    edtExtension->setReadOnly(true);
    edtExtension->setMaxLength(50);
    (new QVBoxLayout(grpExtension))->addWidget(edtExtension);
    layout->addWidget(grpExtension);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    btnDial = new QPushButton(QStringLiteral("発信(&D)"), this);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnDial->setAutoDefault(false);
    btnCancel->setAutoDefault(false);
    buttons->addWidget(btnDial);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);

    grpPort->setVisible(line_.lineType == 0);
    grpExtension->setVisible(line_.lineType == 1);
    if (line_.lineType == 1) {
        edtExtension->setText(QString::fromStdString(line_.extension));
    } else {
        for (const std::string& name : analogPortNames(line_.portMask))
            cbxPort->addItem(QString::fromStdString(name));
        cbxPort->setCurrentIndex(chooseAnalogPort(
            settings_.readInteger(kCallTelephoneSection, kAnalogPortKey, 0), cbxPort->count()));
    }
    cbxTelNo->installEventFilter(this);
    cbxTelNo->lineEdit()->installEventFilter(this);
    cbxPort->installEventFilter(this);
    connect(btnDial, &QPushButton::clicked, this, &TCallsTelephone::btnDialClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TCallsTelephone::setNumbers(const std::vector<std::string>& numbers) {
    cbxTelNo->clear();
    for (const std::string& n : numbers)
        if (!n.empty())
            cbxTelNo->addItem(QString::fromStdString(n));
    cbxTelNo->setCurrentIndex(cbxTelNo->count() > 0 ? 0 : -1);
}

bool TCallsTelephone::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return QDialog::eventFilter(watched, event);
    if (watched == cbxPort)
        btnDial->setFocus();
    else if (line_.lineType == 0)
        cbxPort->setFocus();
    else
        btnDial->setFocus();
    return true;
}

void TCallsTelephone::btnDialClick() {
    if (line_.lineType == 1 && edtExtension->text().isEmpty()) {
        messages_.information("使用する電話機の内線番号が設定されていません  \r\n"
                              "環境設定で事前に設定しておく必要があります  ",
                              this);
        return;
    }
    const std::string number = cbxTelNo->currentText().toStdString();
    if (!messages_.ask(dialQuestion(number), true, this))
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::int32_t lineNumber = 0;
    if (line_.lineType == 0) {
        lineNumber = std::max(0, cbxPort->currentIndex());
        settings_.writeInteger(kCallTelephoneSection, kAnalogPortKey, lineNumber);
        settings_.save();
    }
    if (dial_)
        dial_(lineNumber + 1, dialDigits(number));
    QApplication::restoreOverrideCursor();
}

} // namespace kanata
