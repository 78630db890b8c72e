#pragma once
// What the roster record editor's controls hold, as plain text, and how a
// stored roster row turns into them and back.
#include "data/MeiboTable.h"
#include "data/TextLines.h"

#include <string>
#include <vector>

namespace kanata {

struct MeiboFields {
    std::string Tel1, Tel2;
    std::string Pos; // as shown, with its hyphen
    std::string Tdfkn, Adrs1, Adrs2, Adrs3;
    std::string JisCode, KajoCode; // from the dictionaries, not shown
    std::string CorpKana, CorpKanji, NameKana, NameKanji;
    int PrivCorp = 0; // 0 個人, 1 法人
    std::string Memo1, Memo2, Memo3;
    std::string EMail;
    std::string Rank;
    std::vector<std::string> ExtLink;
    std::vector<std::string> Note;
    int Msg = 0; // 1 = show the message lines with this caller
    std::string Msg1, Msg2;
    std::string BGColor; // "$" and six hexadecimal digits, or empty
    int Latitude = 0, Longitude = 0;

    // Every text trimmed, empty trailing note lines dropped: the form that
    // is compared and stored.
    MeiboFields trimmed() const;
    bool operator==(const MeiboFields&) const = default;
};

// The fields of a stored row: texts trimmed, the postal code in its shown
// form, links and note split into lines.
MeiboFields FieldsFromRow(const MeiboRow& row);
// The row to store for `recNo`: number keys from the numbers, the postal
// code as digits, lines joined with CR LF.
MeiboRow RowFromFields(const MeiboFields& fields, int recNo);

} // namespace kanata
