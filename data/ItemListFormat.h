#pragma once
// The bytes of an item list (Rank.mtd, SelItem1.mtd..SelItem3.mtd), wherever
// they are kept: a count, then per item a length byte, the date and the text
// in code page 932 with every byte inverted.
#include <string>
#include <vector>

namespace kanata {

struct THistoryStruct {
    double date = 0; // day count: days since 1899-12-30, fraction = time of day
    std::string text;
};

// The list as the file holds it. A text longer than a length byte can say
// is cut, never inside a character.
std::string EncodeItemList(const std::vector<THistoryStruct>& items);

// The items of `bytes` (UTF-8, trimmed). Fewer than 4 bytes or a count
// below 1 is an empty list; false when the bytes end inside an item
// (`items` is then empty).
bool DecodeItemList(const std::string& bytes, std::vector<THistoryStruct>& items);

} // namespace kanata
