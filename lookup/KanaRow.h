#pragma once
// The kana-row filter ("表示カナ：") and the initial column of the town lists.
#include <string>
#include <string_view>

namespace kanata {

inline constexpr int kKanaRowCount = 11;
// "すべて", "あ行", ..., "わ行".
const char* KanaRowItem(int item);
// Item 0 passes everything; the others need the reading's first character
// (half-width katakana) in the row's range, upper bound excluded, so ｦ and ﾝ
// pass only item 0.
bool PassesKanaRow(int item, std::string_view reading);
// The hiragana of the reading's first character (ｱ -> あ); a character
// outside the basic half-width katakana comes back unchanged.
std::string ReadingInitial(std::string_view reading);

} // namespace kanata
