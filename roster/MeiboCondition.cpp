#include "roster/MeiboCondition.h"

#include "data/Cp932.h"
#include "data/MeiboTable.h"
#include "data/TelKeys.h"
#include "history/ConditionTerms.h"

namespace kanata {
namespace {

std::string cut(const std::string& text, std::size_t width) {
    return cp932::cutToWidth(cp932::trim(text), width);
}

} // namespace

MeiboCondition BuildMeiboCondition(const MeiboSearchInput& in, const MeiboCondition& previous) {
    MeiboCondition c = previous;
    c.active = false;
    for (const std::string* t :
         {&in.number, &in.address, &in.corpKana, &in.corpKanji, &in.nameKana, &in.nameKanji})
        c.active = c.active || !cp932::trim(*t).empty();
    if (!c.active)
        return c;
    c.number = ExtractTelChars(in.number, kTelDigits).substr(0, MeiboCondition::kNumberLength);
    c.address = cut(in.address, MeiboCondition::kAddressWidth);
    c.corpKana = cut(in.corpKana, MeiboCondition::kCorpKanaWidth);
    c.corpKanji = cut(in.corpKanji, MeiboCondition::kCorpKanjiWidth);
    c.nameKana = cut(in.nameKana, MeiboCondition::kNameKanaWidth);
    c.nameKanji = cut(in.nameKanji, MeiboCondition::kNameKanjiWidth);
    c.orMode = !in.firstRadioChecked;
    return c;
}

RowFilter MeiboRowFilter(const MeiboCondition& c) {
    RowFilter filter;
    if (!c.active)
        return filter;
    // Stored texts are trimmed on writing, so the columns compare as they
    // stand.
    std::vector<std::string> given;
    if (!c.number.empty()) {
        given.push_back("(substr(\"SchTel1\", 1, ?) = ? OR substr(\"SchTel2\", 1, ?) = ?)");
        const auto n = static_cast<std::int64_t>(c.number.size());
        filter.args.insert(filter.args.end(), {n, c.number, n, c.number});
    }
    const std::string address = cp932::trim(c.address);
    if (!address.empty()) {
        given.push_back(ContainsTerm({MeiboTable::AddressFields(), address}, filter.args));
    }
    AddNameTerms({c.corpKana, c.corpKanji, c.nameKana, c.nameKanji}, given, filter);
    filter.where = JoinGivenTerms(given, c.orMode);
    return filter;
}

std::string MeiboSortIndex(MeiboSort sort) {
    switch (sort) {
    case MeiboSort::Tel1:
        return "SchTel1";
    case MeiboSort::Tel2:
        return "SchTel2";
    case MeiboSort::Address:
        return "Adrs";
    case MeiboSort::CorpKana:
        return "CorpKana";
    case MeiboSort::NameKana:
        return "NameKana";
    default:
        return {};
    }
}

const char* MeiboSortCaption(MeiboSort sort) {
    static const char* const captions[] = {"登録順", "電話番号１順", "電話番号２順",
                                           "住所順", "会社名順",     "名前順"};
    return captions[static_cast<int>(sort)];
}

std::vector<std::string> MeiboRowCells(const MeiboRow& row, std::int64_t number) {
    return {std::to_string(number),
            cp932::trim(row.Tel1),
            cp932::trim(row.Tel2),
            cp932::trim(row.Tdfkn) + cp932::trim(row.Adrs1) + cp932::trim(row.Adrs2) +
                cp932::trim(row.Adrs3),
            cp932::trim(row.CorpKanji),
            cp932::trim(row.NameKanji)};
}

} // namespace kanata
