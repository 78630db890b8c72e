#include "transfer/gui/TFileExportPassword.h"

#include "ui/gui/DialogSupport.h"
#include "platform/MessageService.h"
#include "settings/IniFile.h"
#include "transfer/ExportPassword.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <system_error>

namespace kanata {
namespace {

QLineEdit* maskedField(QWidget* owner) {
    auto* edit = new QLineEdit(owner);
    edit->setEchoMode(QLineEdit::Password);
    edit->setMaxLength(16);
    edit->setAttribute(Qt::WA_InputMethodEnabled, false);
    edit->setInputMethodHints(Qt::ImhHiddenText | Qt::ImhLatinOnly | Qt::ImhNoPredictiveText);
    return edit;
}

} // namespace

TFileExportPassword::TFileExportPassword(IniFile& ini, std::filesystem::path passwordFile,
                                         MessageService& messages, QWidget* parent)
    : QDialog(parent), ini_(ini), passwordFile_(std::move(passwordFile)), messages_(messages) {
    setWindowTitle(QStringLiteral("自己復元パスワードの入力"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        QStringLiteral("暗号化出力したファイルを復元する際に必要となるパスワードを設定します"),
        this));
    layout->addWidget(
        new QLabel(QStringLiteral("※８文字～１６文字の半角英数字で入力してください"), this));
    layout->addWidget(new QLabel(QStringLiteral("英字は大文字と小文字を区別します"), this));
    edtPassword = maskedField(this);
    edtConfirm = maskedField(this);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("パスワード："), edtPassword);
    form->addRow(QStringLiteral("確認用："), edtConfirm);
    layout->addLayout(form);
    chkSavePassword = new QCheckBox(QStringLiteral("パスワードを保存する （推奨しません）"), this);
    layout->addWidget(chkSavePassword);
    btnSet = new QPushButton(QStringLiteral("設定"), this);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnSet);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);
    btnSet->setAutoDefault(false);
    btnCancel->setAutoDefault(false);

    connect(btnSet, &QPushButton::clicked, this, &TFileExportPassword::btnSetClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* enter = new EnterMovesFocus(this);
    enter->watch(edtPassword, [this] { return edtConfirm; });
    enter->watch(edtConfirm, [this] { return chkSavePassword; });
    ColourChosenCaption({chkSavePassword});
    loadSaved();
}

void TFileExportPassword::loadSaved() {
    if (!ini_.readBool(kExportPasswordSection, "SavePassword", false))
        return;
    const std::optional<std::string> saved = LoadExportPassword(passwordFile_);
    if (!saved) {
        chkSavePassword->setChecked(false);
        return;
    }
    chkSavePassword->setChecked(true);
    edtPassword->setText(QString::fromStdString(*saved));
    edtConfirm->setText(QString::fromStdString(*saved));
}

std::string TFileExportPassword::password() const {
    return edtPassword->text().toStdString();
}

void TFileExportPassword::btnSetClick() {
    const std::string confirmation = edtConfirm->text().toStdString();
    if (auto problem = CheckExportPassword(password(), confirmation)) {
        messages_.information(problem->message, this);
        if (problem->clearConfirmation)
            edtConfirm->clear();
        (problem->field == PasswordField::Password ? edtPassword : edtConfirm)->setFocus();
        return;
    }
    const bool save = chkSavePassword->isChecked();
    ini_.writeBool(kExportPasswordSection, "SavePassword", save);
    if (!ini_.save())
        messages_.error(ini_.lastError(), this);
    if (save) {
        if (!SaveExportPassword(passwordFile_, password()))
            messages_.error(passwordFile_.string() + "\r\nパスワードを保存できませんでした  ",
                            this);
    } else {
        std::error_code ec;
        std::filesystem::remove(passwordFile_, ec);
    }
    accept();
}

} // namespace kanata
