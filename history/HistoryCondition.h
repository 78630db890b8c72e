#pragma once
// The search conditions and the weekday filter of the history list, and the
// SQL they make of a RecvHis row's test.
#include "data/DateTime.h"
#include "history/ListPager.h"

#include <array>
#include <string>

namespace kanata {

struct HistoryCondition {
    static constexpr std::size_t kNumberLength = 13;
    static constexpr std::size_t kCorpKanaWidth = 80;
    static constexpr std::size_t kCorpKanjiWidth = 112;
    static constexpr std::size_t kNameKanaWidth = 20;
    static constexpr std::size_t kNameKanjiWidth = 22;

    bool active = false;
    DateTime beginDate; // whole days; zero when no range
    DateTime endDate;   // inclusive
    std::string number; // ASCII digits
    std::string corpKana, corpKanji, nameKana, nameKanji;
    bool orMode = false;

    // Both dates set: the weekday buttons do not apply then.
    bool hasDateRange() const;
    bool operator==(const HistoryCondition&) const = default;
};

// What the search dialog holds when "検索(&S)" is pressed.
struct HistorySearchInput {
    bool dateChecked = false;
    DateTime beginDate, endDate;
    std::string number, corpKana, corpKanji, nameKana, nameKanji;
    bool firstRadioChecked = true; // and-mode
};

// Rebuilds the conditions from the dialog. With nothing given only the
// active flag is cleared; the rest of `previous` is kept.
HistoryCondition BuildHistoryCondition(const HistorySearchInput& input,
                                       const HistoryCondition& previous);

// The weekday buttons: "全曜日" and 日..土 (index 0 = Sunday = RecvWeek 1).
struct WeekdayButtons {
    bool allWeek = false;
    std::array<bool, 7> days{};
};

// The test a row must pass to be listed (and to be deleted by "all
// matching rows").
RowFilter HistoryRowFilter(const HistoryCondition& condition, const WeekdayButtons& weekdays);

} // namespace kanata
