#include "data/DateTime.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace kanata {
namespace {
constexpr long long kMsPerDay = 86'400'000;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's
// algorithm), valid far beyond the years the program meets.
long long daysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void civilFromDays(long long z, int& year, int& month, int& day) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (month <= 2));
}

const long long kEpochOffset = daysFromCivil(1899, 12, 30);

DateTime fromDayAndMs(long long dayNumber, long long msOfDay) {
    DateTime t;
    civilFromDays(dayNumber + kEpochOffset, t.year, t.month, t.day);
    t.hour = static_cast<int>(msOfDay / 3'600'000);
    t.minute = static_cast<int>(msOfDay / 60'000 % 60);
    t.second = static_cast<int>(msOfDay / 1000 % 60);
    t.msec = static_cast<int>(msOfDay % 1000);
    return t;
}

long long msOfDay(const DateTime& t) {
    return ((t.hour * 60LL + t.minute) * 60 + t.second) * 1000 + t.msec;
}
} // namespace

long long DayNumber(int year, int month, int day) {
    return daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
           kEpochOffset;
}

DateTime DateTime::now() {
    using namespace std::chrono;
    const auto since = system_clock::now().time_since_epoch();
    const std::time_t seconds = duration_cast<std::chrono::seconds>(since).count();
    std::tm local{};
    localtime_r(&seconds, &local);
    DateTime t;
    t.year = local.tm_year + 1900;
    t.month = local.tm_mon + 1;
    t.day = local.tm_mday;
    t.hour = local.tm_hour;
    t.minute = local.tm_min;
    t.second = std::min(local.tm_sec, 59); // a leap second stays in its minute
    t.msec = static_cast<int>(duration_cast<milliseconds>(since).count() % 1000);
    return t;
}

// The day count keeps the time of day as a positive fraction even before
// 1899-12-30: -1.25 is 1899-12-29 06:00.
DateTime DateTime::fromDays(double days) {
    if (!std::isfinite(days))
        return DateTime{};
    double whole = std::trunc(days);
    long long ms = std::llround(std::fabs(days - whole) * kMsPerDay);
    long long dayNumber = static_cast<long long>(whole);
    if (ms >= kMsPerDay) { // rounding reached midnight
        ms -= kMsPerDay;
        dayNumber += days < 0 ? -1 : 1;
    }
    return fromDayAndMs(dayNumber, ms);
}

double DateTime::toDays() const {
    const double fraction = static_cast<double>(msOfDay(*this)) / kMsPerDay;
    const long long n = DayNumber(year, month, day);
    return n >= 0 ? static_cast<double>(n) + fraction : static_cast<double>(n) - fraction;
}

std::string DateTime::toText() const {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%03d", year, month, day,
                  hour, minute, second, msec);
    return buffer;
}

std::optional<DateTime> DateTime::fromText(std::string_view text) {
    auto number = [&](std::size_t pos, std::size_t len, int& out) {
        if (pos + len > text.size())
            return false;
        int v = 0;
        for (std::size_t i = pos; i < pos + len; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return false;
            v = v * 10 + (text[i] - '0');
        }
        out = v;
        return true;
    };
    auto is = [&](std::size_t pos, char c) { return pos < text.size() && text[pos] == c; };
    DateTime t;
    if (text.size() != 19 && text.size() != 23)
        return std::nullopt;
    if (!number(0, 4, t.year) || !is(4, '-') || !number(5, 2, t.month) || !is(7, '-') ||
        !number(8, 2, t.day) || !is(10, ' ') || !number(11, 2, t.hour) || !is(13, ':') ||
        !number(14, 2, t.minute) || !is(16, ':') || !number(17, 2, t.second))
        return std::nullopt;
    if (text.size() == 23 && (!is(19, '.') || !number(20, 3, t.msec)))
        return std::nullopt;
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour > 23 || t.minute > 59 ||
        t.second > 59)
        return std::nullopt;
    return t;
}

DateTime TruncateToSeconds(const DateTime& value) {
    DateTime t = value;
    t.msec = 0;
    return t;
}

int DayOfWeek(const DateTime& value) {
    // 1899-12-30 was a Saturday (7).
    long long n = DayNumber(value.year, value.month, value.day);
    long long r = ((n % 7) + 7) % 7; // 0 = Saturday
    return r == 0 ? 7 : static_cast<int>(r);
}

} // namespace kanata
