#include "history/ConditionTerms.h"

#include "data/Cp932.h"

#include <utility>

namespace kanata {

void AddNameTerms(const NameTexts& texts, std::vector<std::string>& given, RowFilter& filter) {
    const std::pair<const char*, const std::string*> fields[] = {{"CorpKana", &texts.corpKana},
                                                                 {"CorpKanji", &texts.corpKanji},
                                                                 {"NameKana", &texts.nameKana},
                                                                 {"NameKanji", &texts.nameKanji}};
    for (const auto& [field, text] : fields) {
        const std::string t = cp932::trim(*text);
        if (t.empty())
            continue;
        given.push_back(ContainsTerm({{field}, t}, filter.args));
    }
}

std::string JoinGivenTerms(const std::vector<std::string>& given, bool orMode) {
    // A number of letters alone leaves the conditions active with nothing
    // given: every row meets all of none, and no row meets one of none.
    if (given.empty())
        return orMode ? "1 = 0" : ""; // false, in SQL every engine takes
    std::string joined;
    for (const auto& g : given)
        joined += (joined.empty() ? "" : (orMode ? " OR " : " AND ")) + g;
    return "(" + joined + ")";
}

} // namespace kanata
