#include "intake/gui/TRunPb.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kanata {

TRunPb::TRunPb(const std::string& editionName, const std::string& bookName, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("番号名鑑の起動確認"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("以下の番号名鑑のアドレス帳を登録名簿として使用中です")));
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("連携ソフト　：")), 0, 0);
    grid->addWidget(new QLabel(QString::fromStdString(editionName)), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("アドレス帳　：")), 1, 0);
    grid->addWidget(new QLabel(QString::fromStdString(bookName)), 1, 1);
    layout->addLayout(grid);
    layout->addWidget(new QLabel(QStringLiteral("番号名鑑を起動しますか？")));
    auto* note = new QLabel(
        QStringLiteral("※番号名鑑の起動時に開かれるアドレス帳は\n"
                       "登録名簿として指定しているアドレス帳とは異なる可能性があります"));
    note->setStyleSheet(QStringLiteral("color: #a00000"));
    layout->addWidget(note);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* yes = new QPushButton(QStringLiteral("はい(&Y)"));
    auto* no = new QPushButton(QStringLiteral("いいえ(&N)"));
    yes->setObjectName(QStringLiteral("btnYes"));
    no->setObjectName(QStringLiteral("btnNo"));
    buttons->addWidget(yes);
    buttons->addWidget(no);
    layout->addLayout(buttons);
    connect(yes, &QPushButton::clicked, this, &QDialog::accept);
    connect(no, &QPushButton::clicked, this, &QDialog::reject);
    no->setDefault(true);
}

} // namespace kanata
