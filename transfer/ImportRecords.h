#pragma once
// Building history and roster rows from the item values of one text
// record, with the checks that decide a record's outcome.
#include "data/DateTime.h"
#include "data/MeiboTable.h"
#include "data/RecvHisTable.h"

#include <optional>
#include <string>
#include <vector>

namespace kanata {

class AddressSupplement;
class HyphenationService;

// The outcome of one text record; every value but 0 and 9 is logged with
// its reason.
enum ImportOutcome : int {
    kImportRegistered = 0,
    kImportFieldCount = 1,
    kImportSameNumber = 2,
    kImportTableFull = 9,
    kImportBadDateTime = -11,
    kImportHistoryWriteFailed = -12,
    kImportSeveralSameNumbers = -21,
    kImportRosterWriteFailed = -22,
    kImportLineTooLong = -31,
    kImportOtherError = -99,
};

// The text written to the error log for an outcome (empty for 0 and 9).
std::string ImportOutcomeReason(int outcome);

// Old mobile and regional numbers in their current form (digits in,
// digits out); `today` decides the 0720 -> 0728 change.
std::string RenumberOldNumber(const std::string& digits, const DateTime& today);

// Item values by item number (element 0 unused).
using ItemValues = std::vector<std::string>;

struct HistoryBuild {
    int outcome = kImportRegistered; // 0, -11 or -99
    RecvHisRow row;
};
HistoryBuild BuildHistoryRow(const ItemValues& values, const HyphenationService& hyphenation,
                             const DateTime& now);

// The roster record's two numbers after moving the second into an empty
// first and renumbering.
struct RosterNumbers {
    std::string number1, number2;
    bool any() const { return !number1.empty(); }
};
RosterNumbers RosterNumbersOf(const ItemValues& values, const DateTime& now);

struct RosterBuild {
    int outcome = kImportRegistered; // 0 or -99
    MeiboRow row;
};
// Every field but RecNo; `supplement` is null when auto-supplement is off.
RosterBuild BuildRosterRow(const ItemValues& values, const RosterNumbers& numbers,
                           const HyphenationService& hyphenation, AddressSupplement* supplement,
                           const DateTime& now);

// A date "yyyymmdd" and a time "hhnnss" (digits only) as one moment;
// nullopt when they do not form a real date and time.
std::optional<DateTime> EncodeDateTime(const std::string& date8, const std::string& time6);

} // namespace kanata
