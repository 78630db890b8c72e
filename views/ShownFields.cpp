#include "views/ShownFields.h"

#include "views/CallerRegistration.h"

#include <utility>

namespace kanata {

std::optional<NumberPairProblem> CheckNumberPair(std::string& tel1, std::string& tel2) {
    if (!IsValidNumberText(tel1))
        return NumberPairProblem{0, "電話番号は半角数字かハイフンのみが有効です"};
    if (!IsValidNumberText(tel2))
        return NumberPairProblem{1, "電話番号は半角数字かハイフンのみが有効です"};
    if (!tel1.empty() && !tel2.empty() && TelSearchKey(tel1) == TelSearchKey(tel2))
        return NumberPairProblem{1, "電話番号欄にはそれぞれ違う番号を入力してください"};
    if (tel1.empty() && !tel2.empty())
        std::swap(tel1, tel2);
    return std::nullopt;
}

} // namespace kanata
