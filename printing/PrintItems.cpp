#include "printing/PrintItems.h"

#include <map>

namespace kanata {

std::vector<PrintItem> HistoryPrintItems(const std::array<std::string, 3>& selectionNames) {
    return {
        {"＜空白＞", 2, 999},
        {"＜通番＞", 5, 6},
        {"着信日付", 10, 0},
        {"着信時刻", 8, 0},
        {"電話番号", 13, 0},
        {"会社名カナ", 30, 80},
        {"会社名漢字", 50, 112},
        {"名前カナ", 14, 20},
        {"名前漢字", 14, 22},
        {"区分", 4, 0},
        {"ランク", 10, 20},
        {selectionNames[0], 10, 30},
        {selectionNames[1], 10, 30},
        {selectionNames[2], 10, 30},
        {"郵便番号(名簿)", 8, 0},
        {"住所(名簿)", 50, 308},
        {"市町村コード(名簿)", 5, 0},
        {"会社名カナ(名簿)", 30, 80},
        {"会社名漢字(名簿)", 50, 112},
        {"名前カナ(名簿)", 14, 20},
        {"名前漢字(名簿)", 14, 22},
        {"登録メモ１（名簿）", 30, 100},
        {"登録メモ２（名簿）", 30, 100},
        {"登録メモ３（名簿）", 30, 100},
        {"メールアドレス（名簿）", 30, 64},
        {"備考（名簿）", 60, 999},
    };
}

std::vector<PrintItem> RosterPrintItems() {
    return {
        {"＜空白＞", 2, 999},
        {"＜通番＞", 5, 6},
        {"電話番号１", 13, 0},
        {"電話番号２", 13, 0},
        {"郵便番号", 8, 0},
        {"住所", 50, 308},
        {"市町村コード", 5, 0},
        {"会社名カナ", 30, 80},
        {"会社名漢字", 50, 112},
        {"名前カナ", 14, 20},
        {"名前漢字", 14, 22},
        {"個人法人区分", 4, 0},
        {"登録メモ１", 30, 100},
        {"登録メモ２", 30, 100},
        {"登録メモ３", 30, 100},
        {"メールアドレス", 30, 64},
        {"ランク", 10, 20},
        {"着信時メッセージ設定", 20, 20},
        {"着信時メッセージ(１行目)", 32, 32},
        {"着信時メッセージ(２行目)", 32, 32},
        {"備考", 60, 999},
        {"登録日時", 19, 0},
        {"登録日付", 10, 0},
        {"登録時刻", 8, 0},
        {"更新日時", 19, 0},
        {"更新日付", 10, 0},
        {"更新時刻", 8, 0},
    };
}

std::vector<PrintItem> PrintItemsOf(PrintSource source,
                                    const std::array<std::string, 3>& selectionNames) {
    return source == PrintSource::History ? HistoryPrintItems(selectionNames) : RosterPrintItems();
}

std::string HeaderCaption(PrintSource source, int index, const std::string& caption) {
    if (index == kSerialItem)
        return "No.";
    if (index == kBlankItem)
        return {};
    static const std::map<int, const char*> history = {
        {4, "TEL"}, {10, "RANK"}, {14, "〒"}, {16, "住CD"}, {24, "EMail"}};
    static const std::map<int, const char*> roster = {
        {2, "TEL1"},   {3, "TEL2"},  {4, "〒"},       {6, "住CD"},  {11, "個法"},
        {15, "EMail"}, {16, "RANK"}, {17, "Msg設定"}, {18, "Msg1"}, {19, "Msg2"}};
    const auto& shortForms = source == PrintSource::History ? history : roster;
    const auto it = shortForms.find(index);
    return it == shortForms.end() ? caption : it->second;
}

} // namespace kanata
