#include "history/gui/THistorySearch.h"

#include "ui/gui/DialogSupport.h"
#include "history/gui/SearchDialogParts.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace kanata {
namespace {

QDate toQDate(const DateTime& d) {
    return QDate(d.year, d.month, d.day);
}

DateTime toDateTime(const QDate& d) {
    return DateTime{d.year(), d.month(), d.day(), 0, 0, 0, 0};
}

} // namespace

THistorySearch::THistorySearch(const HistoryCondition& condition, QDate today, QWidget* parent)
    : QDialog(parent), today_(today), condition_(condition) {
    setWindowTitle(QStringLiteral("着信対応履歴　検索条件"));
    createControls();
    load(condition);
}

void THistorySearch::createControls() {
    auto* group = new QGroupBox(QStringLiteral("検索条件"), this);
    chkDate = new QCheckBox(QStringLiteral("日付"), group);
    dtpBegin = new QDateEdit(group);
    dtpEnd = new QDateEdit(group);
    for (QDateEdit* d : {dtpBegin, dtpEnd}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
        d->setAutoFillBackground(true);
    }
    dtpBegin->setDateRange(QDate(1980, 1, 1), today_);
    dtpEnd->setDateRange(today_, today_);
    dtpBegin->setDate(today_);
    dtpEnd->setDate(today_);
    edtTel = MakeNumberEdit(group);
    CreateNameEdits(group, *this);

    auto* grid = new QGridLayout(group);
    auto* dates = new QHBoxLayout;
    dates->addWidget(dtpBegin);
    dates->addWidget(new QLabel(QStringLiteral("～"), group));
    dates->addWidget(dtpEnd);
    dates->addStretch();
    grid->addWidget(chkDate, 0, 0);
    grid->addLayout(dates, 0, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("電話番号"), group), 1, 0);
    grid->addWidget(edtTel, 1, 1);
    AddNameRows(grid, group, 2, *this);

    AddSearchControls(this, group, *this);

    connect(chkDate, &QCheckBox::toggled, this, &THistorySearch::chkDateClick);
    connect(dtpBegin, &QDateEdit::dateChanged, this, &THistorySearch::dtpBeginChange);
    connect(btnSearch, &QPushButton::clicked, this, &THistorySearch::btnSearchClick);
    connect(btnClear, &QPushButton::clicked, this, &THistorySearch::btnClearClick);

    EnterMovesFocus* enter = WatchSearchEnter(
        this, {dtpBegin, dtpEnd, edtTel, edtCorpKana, edtCorpKanji, edtNameKana, edtNameKanji},
        *this);
    enter->watch(chkDate, [this]() -> QWidget* {
        return chkDate->isChecked() ? static_cast<QWidget*>(dtpBegin) : edtTel;
    });
    chkDateClick();
}

void THistorySearch::load(const HistoryCondition& c) {
    if (!c.active)
        return;
    if (c.beginDate.toDays() > 0 && c.endDate.toDays() > 0) {
        chkDate->setChecked(true);
        dtpBegin->setDate(toQDate(c.beginDate));
        const QDate end = toQDate(c.endDate);
        dtpEnd->setDate(std::max(end, dtpBegin->date()));
    } else {
        chkDate->setChecked(false);
        dtpBegin->setDate(today_);
        dtpEnd->setDate(today_);
    }
    ShowNumberAndNames(*this, c);
}

void THistorySearch::chkDateClick() {
    const bool on = chkDate->isChecked();
    for (QDateEdit* d : {dtpBegin, dtpEnd}) {
        d->setEnabled(on);
        QPalette pal = d->palette();
        const QColor fill = palette().color(on ? QPalette::Base : QPalette::Button);
        pal.setColor(QPalette::Base, fill);
        pal.setColor(QPalette::Disabled, QPalette::Base, fill);
        d->setPalette(pal);
    }
}

void THistorySearch::dtpBeginChange() {
    // The end never lies before the begin date.
    dtpEnd->setMinimumDate(dtpBegin->date());
}

HistorySearchInput THistorySearch::input() const {
    HistorySearchInput in;
    in.dateChecked = chkDate->isChecked();
    in.beginDate = toDateTime(dtpBegin->date());
    in.endDate = toDateTime(dtpEnd->date());
    ReadNumberAndNames(*this, in);
    return in;
}

void THistorySearch::btnSearchClick() {
    condition_ = BuildHistoryCondition(input(), condition_);
    accept();
}

void THistorySearch::btnClearClick() {
    chkDate->setChecked(false);
    dtpBegin->setDate(today_);
    dtpEnd->setDate(today_);
    ClearNumberAndNames(*this);
}

} // namespace kanata
