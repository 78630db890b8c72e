#include "history/gui/SearchDialogParts.h"

#include "ui/gui/DialogSupport.h"
#include "ui/gui/CallerForm.h"

#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <vector>

namespace kanata {

QLineEdit* MakeNumberEdit(QWidget* parent, int minWidth) {
    QLineEdit* e = ui::MakeEdit(parent, 13, minWidth);
    e->setAttribute(Qt::WA_InputMethodEnabled, false);
    return e;
}

void CreateNameEdits(QGroupBox* group, SearchControls& c, int minWidth) {
    c.edtCorpKana = ui::MakeEdit(group, 80, minWidth);
    c.edtCorpKanji = ui::MakeEdit(group, 80, minWidth);
    c.edtNameKana = ui::MakeEdit(group, 20, minWidth);
    c.edtNameKanji = ui::MakeEdit(group, 20, minWidth);
}

void AddNameRows(QGridLayout* grid, QGroupBox* group, int row, const SearchControls& c) {
    auto label = [group](const char* t) { return new QLabel(QString::fromUtf8(t), group); };
    grid->addWidget(label("会社名カナ"), row, 0);
    grid->addWidget(c.edtCorpKana, row, 1);
    grid->addWidget(label("漢字"), row, 2);
    grid->addWidget(c.edtCorpKanji, row, 3);
    grid->addWidget(label("名前カナ"), row + 1, 0);
    grid->addWidget(c.edtNameKana, row + 1, 1);
    grid->addWidget(label("漢字"), row + 1, 2);
    grid->addWidget(c.edtNameKanji, row + 1, 3);
}

void ClearNumberAndNames(SearchControls& c) {
    for (QLineEdit* e : {c.edtTel, c.edtCorpKana, c.edtCorpKanji, c.edtNameKana, c.edtNameKanji})
        e->clear();
    c.rbAnd->setChecked(true);
}

void AddSearchControls(QDialog* dialog, QGroupBox* conditions, SearchControls& c) {
    auto* options = new QGroupBox(QStringLiteral("オプション"), dialog);
    c.rbAnd = new QRadioButton(QStringLiteral("すべての条件が一致したデータを表示する"), options);
    c.rbOr = new QRadioButton(QStringLiteral("いずれかの条件が一致したデータを表示する"), options);
    c.rbAnd->setChecked(true);
    auto* optionLayout = new QVBoxLayout(options);
    optionLayout->addWidget(c.rbAnd);
    optionLayout->addWidget(c.rbOr);
    ColourChosenCaption({c.rbAnd, c.rbOr});

    c.btnSearch = new QPushButton(QStringLiteral("検索(&S)"), dialog);
    c.btnClear = new QPushButton(QStringLiteral("クリア(&R)"), dialog);
    c.btnCancel = new QPushButton(QStringLiteral("キャンセル"), dialog);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {c.btnSearch, c.btnClear, c.btnCancel}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(conditions);
    layout->addWidget(options);
    layout->addLayout(buttons);
    QObject::connect(c.btnCancel, &QPushButton::clicked, dialog, &QDialog::reject);
}

EnterMovesFocus* WatchSearchEnter(QDialog* dialog, std::initializer_list<QWidget*> chain,
                                  const SearchControls& controls) {
    auto* enter = new EnterMovesFocus(dialog);
    const std::vector<QWidget*> steps(chain);
    for (std::size_t i = 0; i + 1 < steps.size(); ++i)
        enter->watch(steps[i], [to = steps[i + 1]] { return to; });
    QRadioButton* rbAnd = controls.rbAnd;
    QRadioButton* rbOr = controls.rbOr;
    QPushButton* search = controls.btnSearch;
    if (!steps.empty())
        enter->watch(steps.back(),
                     [rbAnd, rbOr]() -> QWidget* { return rbOr->isChecked() ? rbOr : rbAnd; });
    enter->watch(rbAnd, [search] { return search; });
    enter->watch(rbOr, [search] { return search; });
    return enter;
}

} // namespace kanata
