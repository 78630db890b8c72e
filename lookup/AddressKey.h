#pragma once
// The form in which address texts and the dictionary's names are compared.
// People write the same place in several ways: 北1条西, 北１条西 and 北一条西;
// 霞ヶ関 and 霞が関; 青ケ島 and 青ヶ島; a Kyoto address with the streets that
// lead to its town. Both sides of a comparison go through the same key, so a
// prefix of a key is a prefix of the place.
#include <string>
#include <string_view>

namespace kanata {

// Numerals (ASCII, full-width or kanji, 二十三 and 二三 alike) become ASCII
// digits, ヶ/ケ/が/ガ become ケ and の/ノ become の. Other text is unchanged.
std::string AddressKey(std::string_view text);

// The key of the part of an address after its municipality, or of a town
// name: without the Kyoto street part (烏丸通御池上る...), without a leading
// 大字 or 字.
std::string TownKey(std::string_view text);

} // namespace kanata
