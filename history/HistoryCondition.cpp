#include "history/HistoryCondition.h"

#include "data/Cp932.h"
#include "data/RecvHisTable.h"
#include "data/TelKeys.h"
#include "history/ConditionTerms.h"

#include <cstdio>
#include <vector>

namespace kanata {
namespace {

std::string dayText(const DateTime& d) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
    return buf;
}

DateTime wholeDay(const DateTime& d) {
    return DateTime{d.year, d.month, d.day, 0, 0, 0, 0};
}

DateTime nextDay(const DateTime& d) {
    return DateTime::fromDays(wholeDay(d).toDays() + 1);
}

} // namespace

bool HistoryCondition::hasDateRange() const {
    return active && beginDate.toDays() > 0 && endDate.toDays() > 0;
}

HistoryCondition BuildHistoryCondition(const HistorySearchInput& input,
                                       const HistoryCondition& previous) {
    const std::string number = cp932::trim(input.number);
    const std::string texts[] = {cp932::trim(input.corpKana), cp932::trim(input.corpKanji),
                                 cp932::trim(input.nameKana), cp932::trim(input.nameKanji)};
    bool given = input.dateChecked || !number.empty();
    for (const auto& t : texts)
        given = given || !t.empty();
    HistoryCondition c = previous;
    if (!given) {
        c.active = false;
        return c;
    }
    c.active = true;
    c.beginDate = input.dateChecked ? wholeDay(input.beginDate) : DateTime{};
    c.endDate = input.dateChecked ? wholeDay(input.endDate) : DateTime{};
    c.number = ExtractTelChars(number, kTelDigits).substr(0, HistoryCondition::kNumberLength);
    c.corpKana = cp932::cutToWidth(texts[0], HistoryCondition::kCorpKanaWidth);
    c.corpKanji = cp932::cutToWidth(texts[1], HistoryCondition::kCorpKanjiWidth);
    c.nameKana = cp932::cutToWidth(texts[2], HistoryCondition::kNameKanaWidth);
    c.nameKanji = cp932::cutToWidth(texts[3], HistoryCondition::kNameKanjiWidth);
    c.orMode = !input.firstRadioChecked;
    return c;
}

RowFilter HistoryRowFilter(const HistoryCondition& condition, const WeekdayButtons& weekdays) {
    std::vector<std::string> terms;
    RowFilter filter;
    if (condition.active) {
        std::vector<std::string> given;
        if (condition.hasDateRange()) {
            // Stored date-times are text in time order, so a day range is a
            // text range: from the begin day up to the day after the end.
            given.push_back("(\"RecvDateTime\" >= ? AND \"RecvDateTime\" < ?)");
            filter.args.emplace_back(dayText(condition.beginDate));
            filter.args.emplace_back(dayText(nextDay(condition.endDate)));
        }
        if (!condition.number.empty()) {
            given.push_back("substr(\"SchTel\", 1, ?) = ?");
            filter.args.emplace_back(static_cast<std::int64_t>(condition.number.size()));
            filter.args.emplace_back(condition.number);
        }
        AddNameTerms(
            {condition.corpKana, condition.corpKanji, condition.nameKana, condition.nameKanji},
            given, filter);
        const std::string joined = JoinGivenTerms(given, condition.orMode);
        if (!joined.empty())
            terms.push_back(joined);
    }
    if (!condition.hasDateRange() && !weekdays.allWeek) {
        std::string list;
        int chosen = 0;
        for (int d = 0; d < 7; ++d)
            if (weekdays.days[static_cast<std::size_t>(d)]) {
                list += (list.empty() ? "" : ", ") + std::to_string(d + 1);
                ++chosen;
            }
        // Every row has a weekday: with all seven chosen the term admits every
        // row, and leaving it out lets the count use an index instead of
        // reading the whole table on each refresh.
        if (chosen < 7)
            terms.push_back(list.empty() ? "1 = 0" : "\"RecvWeek\" IN (" + list + ")");
    }
    for (const auto& t : terms)
        filter.where += (filter.where.empty() ? "" : " AND ") + t;
    return filter;
}

} // namespace kanata
