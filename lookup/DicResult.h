#pragma once
// What the dictionary search hands back for a dictionary hit.
#include <cstdint>
#include <string>

namespace kanata {

struct DicResult {
    std::string number;     // the searched number as the dictionary formats it
    std::string postalCode; // "123-4567"
    std::string prefecture, city, town;
    std::string jisCode, kajoCode;
    std::string nameKanji, nameKana; // a large business office's name, or empty
    bool isPrivate = false;
    std::int32_t latitude = 0, longitude = 0; // milliseconds of arc, 0 = unknown
};

// Result kinds of the search dialog.
enum DicResultKind : int {
    kDicNumber = 0,
    kDicPostal = 1,
    kDicAddress = 2,
    kDicCallRecord = 9,
};

} // namespace kanata
