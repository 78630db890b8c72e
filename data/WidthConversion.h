#pragma once
// Full-width and half-width forms of Japanese text, as the system's string
// mapping for the Japanese locale gives them:
//   - ASCII "!".."~" <-> U+FF01..U+FF5E, so "\" <-> ＼ and "~" <-> ～; the
//     exceptions are "'" -> ’ and "\"" -> ” (the Japanese mapping's quotes;
//     ＇ and ＂ become "'" and "\"" again on the way back), and the blank
//     <-> the ideographic space;
//   - half-width katakana <-> katakana, a following ﾞ or ﾟ combining with its
//     kana (ｶﾞ <-> ガ, ﾊﾟ <-> パ, ｳﾞ <-> ヴ); a mark that cannot combine
//     becomes ゛ or ゜;
//   - ｡｢｣､･ｰ <-> 。「」、・ー.
// Characters without a counterpart (kanji, hiragana, ヰ, ヶ, ...) and bytes
// that are not UTF-8 pass unchanged.
#include <string>
#include <string_view>

namespace kanata {

std::string ToFullWidth(std::string_view text);
std::string ToHalfWidth(std::string_view text);

// For one of the 46 basic half-width katakana ｱ..ﾜｦﾝ the hiragana at the same
// place of あ..わをん; any other text comes back unchanged.
std::string KanaIndexLetter(std::string_view oneHalfWidthKatakana);

} // namespace kanata
