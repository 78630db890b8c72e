#pragma once
// The SQL terms the list conditions (call history, roster) have in common:
// the company and person names searched as substrings, and the given terms
// joined in and-mode or or-mode.
#include "history/ListPager.h"

#include <string>
#include <vector>

namespace kanata {

struct NameTexts {
    const std::string& corpKana;
    const std::string& corpKanji;
    const std::string& nameKana;
    const std::string& nameKanji;
};

// One substring term for each trimmed, non-empty text, in CorpKana,
// CorpKanji, NameKana, NameKanji order, with its arguments.
void AddNameTerms(const NameTexts& texts, std::vector<std::string>& given, RowFilter& filter);

// "(a AND b ...)" or "(a OR b ...)" of active conditions. With nothing
// given, and-mode admits every row (empty) and or-mode none ("0").
std::string JoinGivenTerms(const std::vector<std::string>& given, bool orMode);

} // namespace kanata
