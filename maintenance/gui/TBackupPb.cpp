#include "maintenance/gui/TBackupPb.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kanata {

TBackupPb::TBackupPb(const QString& editionName, const QString& addressBookName, QWidget* owner)
    : QDialog(owner) {
    setObjectName(QStringLiteral("TBackupPb"));
    setWindowTitle(QStringLiteral("番号名鑑データのバックアップ確認"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    const auto line = [&](const QString& text) { layout->addWidget(new QLabel(text, this)); };
    line(QStringLiteral("番号名鑑のアドレス帳を登録名簿として使用中です"));
    auto* names = new QGridLayout;
    names->addWidget(new QLabel(QStringLiteral("連携ソフト　："), this), 0, 0);
    names->addWidget(new QLabel(editionName, this), 0, 1);
    names->addWidget(new QLabel(QStringLiteral("アドレス帳　："), this), 1, 0);
    names->addWidget(new QLabel(addressBookName, this), 1, 1);
    layout->addLayout(names);
    line(QStringLiteral("着信帳を起動する前に、登録名簿として指定しているアドレス帳の"));
    line(QStringLiteral("バックアップを行います"));
    line(QStringLiteral("着信帳のデータ保存フォルダーの下に 「backup.PbAdrs」 フォルダーを"));
    line(QStringLiteral("作成し、そこに登録名簿として指定中のアドレス帳フォルダーを保存します"));
    line(QStringLiteral("アドレス帳のバックアップを行いますか？"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    btnYes = new QPushButton(QStringLiteral("はい(&Y)"), this);
    btnNo = new QPushButton(QStringLiteral("いいえ(&N)"), this);
    btnYes->setDefault(true);
    buttons->addWidget(btnYes);
    buttons->addWidget(btnNo);
    layout->addLayout(buttons);
    connect(btnYes, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnNo, &QPushButton::clicked, this, &QDialog::reject);
}

} // namespace kanata
