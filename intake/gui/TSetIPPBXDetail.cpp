#include "intake/gui/TSetIPPBXDetail.h"

#include "platform/MessageService.h"
#include "settings/IniFile.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kanata {
namespace {

QString captionOf(IpPbxField field, std::int32_t kindId) {
    const bool sip = kindId == 211;
    switch (field) {
    case IpPbxField::Telno:
        return sip ? QStringLiteral("電話番号：") : QStringLiteral("対象番号：");
    case IpPbxField::From:
        return sip ? QStringLiteral("内線番号：") : QStringLiteral("発信用内線：");
    case IpPbxField::User:
        return sip ? QStringLiteral("登録ユーザー：") : QStringLiteral("内線番号：");
    case IpPbxField::Password:
        return QStringLiteral("パスワード：");
    }
    return {};
}

QString valueOf(IpPbxField field, const IpPbxValues& v) {
    switch (field) {
    case IpPbxField::Telno:
        return QString::fromStdString(v.telno);
    case IpPbxField::From:
        return QString::fromStdString(v.from);
    case IpPbxField::User:
        return QString::fromStdString(v.user);
    case IpPbxField::Password:
        return QString::fromStdString(v.password);
    }
    return {};
}

} // namespace

TSetIPPBXDetail::TSetIPPBXDetail(const QString& modelName, std::int32_t kindId, bool modelInUse,
                                 std::filesystem::path ipIniFile, MessageService& messages,
                                 QWidget* owner)
    : QDialog(owner), kindId_(kindId), inUse_(modelInUse), ipIniFile_(std::move(ipIniFile)),
      messages_(messages) {
    setObjectName(QStringLiteral("TSetIPPBXDetail"));
    setWindowTitle(QStringLiteral("詳細設定"));
    setModal(true);
    IniFile ini(ipIniFile_);
    ini.load();
    const IpPbxValues stored = readIpPbxValues(ini);

    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    edtModel = new QLineEdit(modelName, this);
    edtModel->setReadOnly(true);
    edtModel->setFocusPolicy(Qt::NoFocus);
    edtHost = new QLineEdit(QString::fromStdString(stored.host), this);
    edtHost->setMaxLength(15);
    form->addRow(QStringLiteral("機器名："), edtModel);
    form->addRow(QStringLiteral("IPアドレス："), edtHost);
    edtHost->installEventFilter(this);
    for (IpPbxField f : ipPbxPageFor(kindId_).fields) {
        auto* edit = new QLineEdit(valueOf(f, stored), this);
        const bool shortField = f == IpPbxField::User || f == IpPbxField::Password;
        edit->setMaxLength(shortField ? 31 : 50);
        if (f == IpPbxField::Password)
            edit->setEchoMode(QLineEdit::Password);
        edit->installEventFilter(this);
        form->addRow(captionOf(f, kindId_), edit);
        fields_[f] = edit;
    }
    layout->addLayout(form);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    btnSet = new QPushButton(QStringLiteral("設定(&S)"), this);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnSet->setAutoDefault(false);
    btnCancel->setAutoDefault(false);
    buttons->addWidget(btnSet);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);
    connect(btnSet, &QPushButton::clicked, this, &TSetIPPBXDetail::btnSetClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QLineEdit* TSetIPPBXDetail::field(IpPbxField which) const {
    const auto it = fields_.find(which);
    return it == fields_.end() ? nullptr : it->second;
}

IpPbxValues TSetIPPBXDetail::values() const {
    IpPbxValues v;
    v.host = edtHost->text().toStdString();
    const auto text = [this](IpPbxField f) {
        QLineEdit* e = field(f);
        return e ? e->text().toStdString() : std::string();
    };
    v.telno = text(IpPbxField::Telno);
    v.from = text(IpPbxField::From);
    v.user = text(IpPbxField::User);
    v.password = text(IpPbxField::Password);
    return v;
}

bool TSetIPPBXDetail::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TSetIPPBXDetail::btnSetClick() {
    const IpPbxValues v = values();
    if (const auto problem = checkIpPbx(kindId_, v)) {
        messages_.information(problem->message, this);
        QLineEdit* focus = problem->field ? field(*problem->field) : edtHost;
        if (focus)
            focus->setFocus();
        return;
    }
    const char* question = inUse_ ? "入力した内容で再設定します  \r\nよろしいですか？  "
                                  : "入力した内容で設定をおこないます  \r\nよろしいですか？  ";
    if (!messages_.ask(question, false, this))
        return;
    IniFile ini(ipIniFile_);
    ini.load();
    writeIpPbxValues(kindId_, v, ini);
    if (!ini.save()) {
        messages_.error("設定ファイルに書き込めませんでした  \r\n" + ini.lastError(), this);
        return;
    }
    messages_.information("設定が完了しました  ", this);
    written_ = true;
    accept();
}

} // namespace kanata
