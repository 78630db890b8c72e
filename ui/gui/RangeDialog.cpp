#include "ui/gui/RangeDialog.h"

#include "ui/gui/DialogSupport.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace kanata {
namespace {

// Leaving the field with a text that is not a position in range puts the
// previous value back (the spin box's own correction would clamp instead).
QSpinBox* positionField(QWidget* owner, int total, int value) {
    auto* box = new QSpinBox(owner);
    box->setRange(1, std::max(total, 1));
    box->setValue(std::clamp(value, 1, std::max(total, 1)));
    box->setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    box->setKeyboardTracking(false);
    box->setAlignment(Qt::AlignRight);
    box->setAttribute(Qt::WA_InputMethodEnabled, false);
    return box;
}

} // namespace

TRangeSpecification::TRangeSpecification(std::int64_t total, std::int64_t begin, std::int64_t end,
                                         QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("範囲指定"));
    const int totalInt = static_cast<int>(std::min<std::int64_t>(total, 1'000'000));
    lblTotal = new QLabel(QString::number(total), this);
    lblTotal->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    edtBegin = positionField(this, totalInt, static_cast<int>(begin));
    edtEnd = positionField(this, totalInt, static_cast<int>(end));
    btnOK = new QPushButton(QStringLiteral("決定(&S)"), this);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnOK->setDefault(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("総件数"), lblTotal);
    form->addRow(QStringLiteral("開始位置"), edtBegin);
    form->addRow(QStringLiteral("終了位置"), edtEnd);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(edtBegin, &QSpinBox::valueChanged, this, &TRangeSpecification::beginChanged);
    connect(edtEnd, &QSpinBox::valueChanged, this, &TRangeSpecification::endChanged);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* enter = new EnterMovesFocus(this);
    // Enter takes the typed text (or puts the previous value back) before
    // moving on, as leaving the field does.
    enter->watch(edtBegin, [this] {
        edtBegin->interpretText();
        return edtEnd;
    });
    enter->watch(edtEnd, [this] {
        edtEnd->interpretText();
        return btnOK;
    });
}

std::int64_t TRangeSpecification::begin() const {
    return edtBegin->value();
}

std::int64_t TRangeSpecification::end() const {
    return edtEnd->value();
}

void TRangeSpecification::beginChanged(int value) {
    if (value > edtEnd->value())
        edtEnd->setValue(value);
}

void TRangeSpecification::endChanged(int value) {
    if (value < edtBegin->value())
        edtBegin->setValue(value);
}

} // namespace kanata
