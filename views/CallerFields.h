#pragma once
// What the call view's controls hold, as plain text, and the values of the
// 25 output items taken from it.
#include "views/OutputItems.h"

#include <array>
#include <string>
#include <vector>

namespace kanata {

struct CallRecord;

struct CallerFields {
    // Roster mode: the two number edits. Address-book mode: Tel1 is the
    // number edit, Tel2 the number chosen in the list of other numbers.
    std::string Tel1, Tel2;
    std::string Pos; // as shown, with its hyphen
    std::string Tdfkn, Adrs1, Adrs2, Adrs3;
    std::string JisCode, KajoCode;
    std::string CorpKana, CorpKanji, NameKana, NameKanji;
    int PrivCorp = 0; // 1 = corporation
    std::string Memo1, Memo2, Memo3;
    std::string EMail;
    std::string Rank;
    std::string SelItem1, SelItem2, SelItem3;
    std::vector<std::string> ExtLink;
    std::vector<std::string> Note;

    // Every text trimmed, as it is compared and stored.
    CallerFields trimmed() const;
    bool operator==(const CallerFields&) const = default;
};

// The fields as the view shows a record: in roster mode Tel 0 and Tel 1
// (each only when its key is not empty); in address-book mode the matched
// number, and Tel2 empty.
CallerFields FieldsFromRecord(const CallRecord& record, bool addressBookMode);

// The date and time panels: "2026年 03月 02日" and "09時 30分 00秒"; empty
// for the date-time 0.
std::string FormatViewDate(double days);
std::string FormatViewTime(double days);

// The 25 item values for copying and printing, each trimmed.
std::array<std::string, kOutputItemCount> OutputItemValues(const CallerFields& fields,
                                                           const CallRecord& record);

} // namespace kanata
