#include "roster/gui/TMeiboSearch.h"

#include "history/gui/SearchDialogParts.h"
#include "ui/gui/CallerForm.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace kanata {

TMeiboSearch::TMeiboSearch(const MeiboCondition& condition, QWidget* parent)
    : QDialog(parent), condition_(condition) {
    setWindowTitle(QStringLiteral("登録名簿　検索条件"));
    createControls();
    load(condition);
}

void TMeiboSearch::createControls() {
    auto* group = new QGroupBox(QStringLiteral("検索条件"), this);
    edtTel = MakeNumberEdit(group, 120);
    edtAdrs = ui::MakeEdit(group, 192, 320);
    CreateNameEdits(group, *this, 150);
    auto* grid = new QGridLayout(group);
    auto label = [group](const char* t) { return new QLabel(QString::fromUtf8(t), group); };
    grid->addWidget(label("電話番号"), 0, 0);
    grid->addWidget(edtTel, 0, 1);
    grid->addWidget(label("住所"), 1, 0);
    grid->addWidget(edtAdrs, 1, 1, 1, 3);
    AddNameRows(grid, group, 2, *this);

    AddSearchControls(this, group, *this);

    connect(btnSearch, &QPushButton::clicked, this, &TMeiboSearch::btnSearchClick);
    connect(btnClear, &QPushButton::clicked, this, &TMeiboSearch::btnClearClick);
    WatchSearchEnter(this, {edtTel, edtAdrs, edtCorpKana, edtCorpKanji, edtNameKana, edtNameKanji},
                     *this);
}

void TMeiboSearch::load(const MeiboCondition& c) {
    if (!c.active)
        return;
    edtAdrs->setText(QString::fromStdString(c.address));
    ShowNumberAndNames(*this, c);
}

MeiboSearchInput TMeiboSearch::input() const {
    MeiboSearchInput in;
    in.address = edtAdrs->text().toStdString();
    ReadNumberAndNames(*this, in);
    return in;
}

void TMeiboSearch::btnSearchClick() {
    condition_ = BuildMeiboCondition(input(), condition_);
    accept();
}

void TMeiboSearch::btnClearClick() {
    edtAdrs->clear();
    ClearNumberAndNames(*this);
}

} // namespace kanata
