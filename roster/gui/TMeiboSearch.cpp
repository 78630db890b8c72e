#include "roster/gui/TMeiboSearch.h"

#include "history/gui/SearchDialogParts.h"
#include "ui/Cp932ByteLimit.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace kanata {
namespace {

QLineEdit* edit(QWidget* parent, int maxBytes, int minWidth) {
    auto* e = new QLineEdit(parent);
    ui::LimitToCp932Bytes(e, maxBytes);
    e->setMinimumWidth(minWidth);
    return e;
}

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

TMeiboSearch::TMeiboSearch(const MeiboCondition& condition, QWidget* parent)
    : QDialog(parent), condition_(condition) {
    setWindowTitle(QStringLiteral("登録名簿　検索条件"));
    createControls();
    load(condition);
}

void TMeiboSearch::createControls() {
    auto* group = new QGroupBox(QStringLiteral("検索条件"), this);
    edtTel = edit(group, 13, 120);
    edtTel->setAttribute(Qt::WA_InputMethodEnabled, false);
    edtAdrs = edit(group, 192, 320);
    edtCorpKana = edit(group, 80, 150);
    edtCorpKanji = edit(group, 80, 150);
    edtNameKana = edit(group, 20, 150);
    edtNameKanji = edit(group, 20, 150);
    auto* grid = new QGridLayout(group);
    auto label = [group](const char* t) { return new QLabel(QString::fromUtf8(t), group); };
    grid->addWidget(label("電話番号"), 0, 0);
    grid->addWidget(edtTel, 0, 1);
    grid->addWidget(label("住所"), 1, 0);
    grid->addWidget(edtAdrs, 1, 1, 1, 3);
    AddNameRows(grid, group, 2, edtCorpKana, edtCorpKanji, edtNameKana, edtNameKanji);

    AddSearchControls(this, group, *this);

    connect(btnSearch, &QPushButton::clicked, this, &TMeiboSearch::btnSearchClick);
    connect(btnClear, &QPushButton::clicked, this, &TMeiboSearch::btnClearClick);
    WatchSearchEnter(this, {edtTel, edtAdrs, edtCorpKana, edtCorpKanji, edtNameKana, edtNameKanji},
                     *this);
}

void TMeiboSearch::load(const MeiboCondition& c) {
    if (!c.active)
        return;
    edtTel->setText(qs(c.number));
    edtAdrs->setText(qs(c.address));
    edtCorpKana->setText(qs(c.corpKana));
    edtCorpKanji->setText(qs(c.corpKanji));
    edtNameKana->setText(qs(c.nameKana));
    edtNameKanji->setText(qs(c.nameKanji));
    (c.orMode ? rbOr : rbAnd)->setChecked(true);
}

MeiboSearchInput TMeiboSearch::input() const {
    MeiboSearchInput in;
    in.number = edtTel->text().toStdString();
    in.address = edtAdrs->text().toStdString();
    in.corpKana = edtCorpKana->text().toStdString();
    in.corpKanji = edtCorpKanji->text().toStdString();
    in.nameKana = edtNameKana->text().toStdString();
    in.nameKanji = edtNameKanji->text().toStdString();
    in.firstRadioChecked = rbAnd->isChecked();
    return in;
}

void TMeiboSearch::btnSearchClick() {
    condition_ = BuildMeiboCondition(input(), condition_);
    accept();
}

void TMeiboSearch::btnClearClick() {
    for (QLineEdit* e : {edtTel, edtAdrs, edtCorpKana, edtCorpKanji, edtNameKana, edtNameKanji})
        e->clear();
    rbAnd->setChecked(true);
}

} // namespace kanata
