#pragma once
// Local date-times as the tables keep them: text "YYYY-MM-DD HH:MM:SS.zzz"
// (so text order is time order), and the day-count double of the item-list
// files and the binary records (days since 1899-12-30, fraction = time of
// day). The date-time 0 of the stored formats is 1899-12-30 00:00:00.000.
#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace kanata {

struct DateTime {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, msec = 0;

    static DateTime now();
    static DateTime fromDays(double days);
    // Accepts "YYYY-MM-DD HH:MM:SS" with an optional ".zzz"; nullopt
    // for anything else.
    static std::optional<DateTime> fromText(std::string_view text);

    double toDays() const;
    std::string toText() const;
    bool isZero() const { return *this == DateTime{}; }

    auto operator<=>(const DateTime&) const = default;
};

DateTime TruncateToSeconds(const DateTime& value);
// 1 = Sunday .. 7 = Saturday.
int DayOfWeek(const DateTime& value);
// Days since 1899-12-30 of a calendar date (negative before it).
long long DayNumber(int year, int month, int day);

} // namespace kanata
