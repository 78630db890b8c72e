#include "roster/gui/MeiboMainPage.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kanata {

using namespace ui;

MeiboMainPage::MeiboMainPage(CallerFormControls& form, MeiboMainControls& own,
                             const std::string& mapName, QWidget* parent)
    : QWidget(parent), form_(form), own_(own) {
    createControls(mapName);
    layOut();
}

void MeiboMainPage::createControls(const std::string& mapName) {
    auto* page = this;
    CallerFormControls& f = form_;
    MeiboMainControls& o = own_;
    CreateCallerEdits(f, page, true);
    TypeWithoutInputMethod({f.edtTel1, f.edtTel2, f.edtPos, f.edtEMail});
    for (QLineEdit* e : {f.edtTel1, f.edtTel2})
        e->setFixedWidth(120);
    f.edtPos->setFixedWidth(80);
    f.edtTdfkn->setFixedWidth(80);
    o.btnTelSch1 = MakeButton("検索", page, "電話番号検索");
    o.btnTelSch2 = MakeButton("検索", page, "電話番号検索");
    f.btnExchange = MakeButton("⇅", page, "電話番号入れ替え");
    o.btnDial = MakeButton("発信", page, "発信");
    o.btnPosSch = MakeButton("検索", page, "郵便番号検索");
    o.btnAdrsSch = MakeButton("検索", page, "住所検索");
    const std::string mapHint = "地図表示" + (mapName.empty() ? std::string() : "\n" + mapName);
    f.btnMap = MakeButton("地図", page);
    f.btnMap->setToolTip(q(mapHint));
    f.btnNameDic = MakeButton("辞書", page, "名前辞書");
    f.btnMail = MakeButton("メール", page, "メーラー起動");
    f.cbxRank = new QComboBox(page);
    f.cbxRank->setMinimumWidth(160);
    o.btnRankEdit = MakeButton("編集", page, "ランク編集");
    // Tab walks the page row by row, as it always did.
    SetTabOrder({f.edtTel1,      f.edtTel2,     o.btnTelSch1,   o.btnTelSch2, f.btnExchange,
                 o.btnDial,      f.edtPos,      o.btnPosSch,    f.edtTdfkn,   f.edtAdrs1,
                 f.edtAdrs2,     f.edtAdrs3,    o.btnAdrsSch,   f.btnMap,     f.edtCorpKana,
                 f.edtCorpKanji, f.edtNameKana, f.edtNameKanji, f.btnNameDic, f.cbxPrivCorp,
                 f.edtMemo1,     f.edtMemo2,    f.edtMemo3,     f.edtEMail,   f.btnMail,
                 f.cbxRank,      o.btnRankEdit});
}

void MeiboMainPage::layOut() {
    auto* page = this;
    CallerFormControls& f = form_;
    MeiboMainControls& o = own_;
    auto* grid = new QGridLayout(page);
    grid->setHorizontalSpacing(4);
    auto label = [page](const char* text) { return new QLabel(QString::fromUtf8(text), page); };
    int r = 0;
    grid->addWidget(label("電話番号"), r, 0);
    grid->addLayout(
        MakeRow({f.edtTel1, o.btnTelSch1, f.btnExchange, f.edtTel2, o.btnTelSch2, o.btnDial}), r++,
        1);
    grid->addWidget(label("郵便番号"), r, 0);
    grid->addLayout(MakeRow({f.edtPos, o.btnPosSch}), r++, 1);
    grid->addWidget(label("住所"), r, 0);
    grid->addLayout(MakeRow({f.edtTdfkn, f.edtAdrs1, o.btnAdrsSch, f.btnMap}, false), r++, 1);
    grid->addLayout(MakeRow({f.edtAdrs2}, false), r++, 1);
    grid->addLayout(MakeRow({f.edtAdrs3}, false), r++, 1);
    grid->addWidget(label("会社名カナ"), r, 0);
    grid->addWidget(f.edtCorpKana, r++, 1);
    grid->addWidget(label("漢字"), r, 0);
    grid->addWidget(f.edtCorpKanji, r++, 1);
    grid->addWidget(label("名前カナ"), r, 0);
    grid->addLayout(MakeRow({f.edtNameKana, label("漢字"), f.edtNameKanji, f.btnNameDic,
                             label("個人法人区分"), f.cbxPrivCorp}),
                    r++, 1);
    grid->addWidget(label("登録メモ１"), r, 0);
    grid->addWidget(f.edtMemo1, r++, 1);
    grid->addWidget(label("登録メモ２"), r, 0);
    grid->addWidget(f.edtMemo2, r++, 1);
    grid->addWidget(label("登録メモ３"), r, 0);
    grid->addWidget(f.edtMemo3, r++, 1);
    grid->addWidget(label("メールアドレス"), r, 0);
    grid->addLayout(MakeRow({f.edtEMail, f.btnMail}, false), r++, 1);
    grid->addWidget(label("ランク"), r, 0);
    grid->addLayout(MakeRow({f.cbxRank, o.btnRankEdit}), r++, 1);
    grid->setRowStretch(r, 1);
    // The small buttons beside the fields need no more than their caption.
    for (QPushButton* b : {o.btnTelSch1, o.btnTelSch2, f.btnExchange, o.btnDial, o.btnPosSch,
                           o.btnAdrsSch, f.btnMap, f.btnNameDic, f.btnMail, o.btnRankEdit})
        b->setMaximumWidth(b->fontMetrics().horizontalAdvance(b->text()) + 24);
}

} // namespace kanata
