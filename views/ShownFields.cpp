#include "views/ShownFields.h"

#include "data/Cp932.h"
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

bool NoteTooLong(const std::vector<std::string>& note, const std::vector<std::string>& loaded) {
    return note != loaded && cp932::byteWidth(JoinLines(note)) > kMaxNoteBytes;
}

std::string NoteTooLongMessage() {
    const std::string limit = "備考は全角" + std::to_string(kMaxNoteBytes / 2) + "文字（半角" +
                              std::to_string(kMaxNoteBytes) + "文字）までです";
    return MessageLines({"備考が長すぎます", limit.c_str()});
}

std::vector<std::string> NoteCutToFit(const std::vector<std::string>& note) {
    const std::string joined = JoinLines(note);
    if (cp932::byteWidth(joined) <= kMaxNoteBytes)
        return note;
    return SplitLines(cp932::cutToWidth(joined, kMaxNoteBytes));
}

} // namespace kanata
