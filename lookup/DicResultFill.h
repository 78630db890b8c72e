#pragma once
// How a window takes over a dictionary hit: the searched number, the postal
// code, the address (unless the address shown already begins with the hit's
// prefecture, city and town), the codes and a business office's name. Works
// on any field set with the roster's field names (the roster editor's and
// the call view's); the coordinates are the caller's to take.
#include "data/Cp932.h"
#include "lookup/DicResult.h"

#include <string>

namespace kanata {

// searchKind: 0 first number, 1 second number, 2 postal code, 3 address.
template <typename Fields>
void ApplyDicResult(const DicResult& r, int resultKind, int searchKind, Fields& f) {
    if (resultKind == kDicNumber && !r.number.empty())
        (searchKind == 1 ? f.Tel2 : f.Tel1) = r.number;
    if (!r.postalCode.empty())
        f.Pos = r.postalCode;
    const std::string shown = cp932::trim(f.Tdfkn + f.Adrs1 + f.Adrs2 + f.Adrs3);
    const std::string found = r.prefecture + r.city + r.town;
    if (shown.empty() || shown.rfind(found, 0) != 0) {
        f.Tdfkn = r.prefecture;
        f.Adrs1 = r.city;
        f.Adrs2 = r.town;
        f.Adrs3.clear();
    }
    f.JisCode = r.jisCode;
    f.KajoCode = r.kajoCode;
    if (!r.nameKanji.empty() || !r.nameKana.empty()) {
        if (r.isPrivate) {
            f.NameKana = r.nameKana;
            f.NameKanji = r.nameKanji;
        } else {
            f.CorpKana = r.nameKana;
            f.CorpKanji = r.nameKanji;
        }
        f.PrivCorp = r.isPrivate ? 0 : 1;
    }
}

} // namespace kanata
