#include "intake/gui/TPasswordForm.h"

#include "platform/MessageService.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kanata {

TPasswordForm::TPasswordForm(PasswordGate& gate, QWidget* parent) : QDialog(parent), gate_(gate) {
    setWindowTitle(QStringLiteral("パスワード入力"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* prompt = new QLabel(QString::fromUtf8(kAppCaption) +
                                  QStringLiteral("を起動するためのパスワードを入力してください"),
                              this);
    edtPassword = new QLineEdit(this);
    edtPassword->setEchoMode(QLineEdit::Password);
    edtPassword->setMaxLength(PasswordGate::kMaxLength);
    edtPassword->setObjectName(QStringLiteral("edtPassword"));

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TPasswordForm::btnOkClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &TPasswordForm::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(edtPassword);
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
}

void TPasswordForm::btnOkClick() {
    const auto outcome = gate_.submit(edtPassword->text().toStdString(), this);
    if (outcome.clearInput)
        edtPassword->clear();
    edtPassword->setFocus();
    if (outcome.accepted)
        accept();
}

void TPasswordForm::reject() {
    if (gate_.confirmAbort(this))
        QDialog::reject();
}

bool askStartupPassword(const std::string& storedHash, MessageService& messages, QWidget* parent) {
    PasswordGate gate(storedHash, messages);
    if (!gate.required())
        return true;
    TPasswordForm form(gate, parent);
    return form.exec() == QDialog::Accepted;
}

} // namespace kanata
