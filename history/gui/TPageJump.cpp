#include "history/gui/TPageJump.h"

#include "history/PageJumpRules.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace kanata {

TPageJump::TPageJump(int totalPages, int currentPage, QWidget* parent)
    : QDialog(parent), total_(std::max(1, totalPages)),
      page_(StepJumpPage(currentPage, 0, totalPages)) {
    setWindowTitle(QStringLiteral("ページジャンプ"));
    auto* group = new QGroupBox(QStringLiteral("表示するページを指定してください"), this);
    auto* grid = new QGridLayout(group);
    lblTotal = new QLabel(QString::number(totalPages), group);
    lblCurrent = new QLabel(QString::number(currentPage), group);
    edtJumpPage = new QLineEdit(QString::number(page_), group);
    edtJumpPage->setMaxLength(9);
    edtJumpPage->setAttribute(Qt::WA_InputMethodEnabled, false);
    edtJumpPage->setAlignment(Qt::AlignRight);
    edtJumpPage->installEventFilter(this);
    udUp = new QToolButton(group);
    udUp->setArrowType(Qt::UpArrow);
    udDown = new QToolButton(group);
    udDown->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {udUp, udDown}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
    }
    connect(udUp, &QToolButton::clicked, this, [this] { stepBy(1); });
    connect(udDown, &QToolButton::clicked, this, [this] { stepBy(-1); });
    auto* ud = new QVBoxLayout;
    ud->setSpacing(0);
    ud->addWidget(udUp);
    ud->addWidget(udDown);
    auto* entry = new QHBoxLayout;
    entry->addWidget(edtJumpPage);
    entry->addLayout(ud);
    grid->addWidget(new QLabel(QStringLiteral("総ページ数"), group), 0, 0);
    grid->addWidget(lblTotal, 0, 1, Qt::AlignRight);
    grid->addWidget(new QLabel(QStringLiteral("現在のページ"), group), 1, 0);
    grid->addWidget(lblCurrent, 1, 1, Qt::AlignRight);
    grid->addWidget(new QLabel(QStringLiteral("ジャンプページ"), group), 2, 0);
    grid->addLayout(entry, 2, 1);

    btnOK = new QPushButton(QStringLiteral("決定(&S)"), this);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    for (QPushButton* b : {btnOK, btnCancel})
        b->setAutoDefault(false);
    connect(btnOK, &QPushButton::clicked, this, &TPageJump::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    edtJumpPage->selectAll();
    edtJumpPage->setFocus();
}

bool TPageJump::validate() {
    const int valid = ValidJumpPage(edtJumpPage->text().toStdString(), page_, total_);
    const bool unchanged = QString::number(valid) == edtJumpPage->text();
    page_ = valid;
    if (!unchanged)
        edtJumpPage->setText(QString::number(valid));
    return unchanged;
}

void TPageJump::stepBy(int delta) {
    validate();
    page_ = StepJumpPage(page_, delta, total_);
    edtJumpPage->setText(QString::number(page_));
    edtJumpPage->selectAll();
}

void TPageJump::btnOKClick() {
    validate();
    accept();
}

bool TPageJump::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edtJumpPage && event->type() == QEvent::FocusOut)
        validate();
    if (watched != edtJumpPage || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Up:
        stepBy(1);
        return true;
    case Qt::Key_Down:
        stepBy(-1);
        return true;
    case Qt::Key_PageUp:
        stepBy(10);
        return true;
    case Qt::Key_PageDown:
        stepBy(-10);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (validate())
            btnOK->setFocus();
        return true;
    default:
        return QDialog::eventFilter(watched, event);
    }
}

} // namespace kanata
