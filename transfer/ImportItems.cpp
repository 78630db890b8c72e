#include "transfer/ImportItems.h"

namespace kanata {
namespace {

using Names = std::vector<std::string>;

ImportItem item(std::string caption, int constantMax, std::vector<Names> names) {
    return {std::move(caption), constantMax, std::move(names)};
}

std::vector<ImportItem> historyItems(const SelectionCaptions& sel) {
    return {
        item("項目名", 0, {}),
        item("着信日付", 10, {{"着信日付", "日付"}}),
        item("着信時刻", 8, {{"着信時刻", "時刻"}}),
        item("電話番号", 13, {{"電話番号", "電話番号１"}}),
        item("会社名カナ", 80, {{"会社名カナ", "名称カナ"}}),
        item("会社名漢字", 112, {{"会社名漢字", "会社名", "名称漢字", "名称"}}),
        item("名前カナ", 20, {{"名前カナ"}}),
        item("名前漢字", 22, {{"名前漢字", "名前"}}),
        item("区分", 1, {{"区分"}}),
        item("ランク", 20, {{"ランク"}}),
        item(sel[0], 60, {{"選択項目１", sel[0]}}),
        item(sel[1], 60, {{"選択項目２", sel[1]}}),
        item(sel[2], 60, {{"選択項目３", sel[2]}}),
    };
}

ImportItem ownCaption(const char* caption, int constantMax) {
    return item(caption, constantMax, {{caption}});
}

std::vector<ImportItem> rosterItems() {
    return {
        item("項目名", 0, {}),
        item("電話番号１", 13, {{"電話番号", "電話番号１"}}),
        item("電話番号２", 13, {{"電話番号２"}}),
        item("郵便番号", 8, {{"郵便番号"}}),
        item("住所１", 32, {{"都道府県"}, {"住所１", "住所"}}),
        item("住所２", 152, {{"住所２", "残り住所"}}),
        item("住所３", 116, {{"住所３"}}),
        item("市町村コード", 5, {{"住所コード", "市町村コード"}}),
        item("会社名カナ", 80, {{"会社名カナ", "名称カナ"}}),
        item("会社名漢字", 112, {{"会社名漢字", "会社名", "名称漢字", "名称"}}),
        item("名前カナ", 20, {{"名前カナ"}}),
        item("名前漢字", 22, {{"名前漢字", "名前"}}),
        item("個人法人区分", 1, {{"個人法人区分", "個人会社区分"}}),
        item("登録メモ１", 100, {{"登録メモ１", "登録メモ"}}),
        item("登録メモ２", 100, {{"登録メモ２"}}),
        item("登録メモ３", 100, {{"登録メモ３"}}),
        item("メールアドレス", 64, {{"メールアドレス", "メール", "MAIL", "E-MAIL"}}),
        item("ランク", 20, {{"ランク"}}),
        item("緯度", 10, {{"緯度", "緯度(msec)"}}),
        item("経度", 10, {{"経度", "経度(msec)"}}),
        ownCaption("着信時メッセージ設定", 0),
        ownCaption("着信時メッセージ(１行目)", 32),
        ownCaption("着信時メッセージ(２行目)", 32),
        ownCaption("着信時メッセージ(背景色)", 7),
        item("外部リンク", 0, {{"外部リンク", "外部ファイル"}}),
        ownCaption("備考", 0),
        ownCaption("登録日付", 0),
        // Room for "hhnnss" and for "hh:nn:ss".
        ownCaption("登録時刻", 8),
    };
}

} // namespace

std::vector<ImportItem> ImportItems(ImportDestination destination,
                                    const SelectionCaptions& selectionCaptions) {
    return destination == ImportDestination::History ? historyItems(selectionCaptions)
                                                     : rosterItems();
}

} // namespace kanata
