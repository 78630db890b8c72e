#include "plugins/KTComm3/ModemReports.h"

#include "plugins/common/CallData.h"

namespace kanata::adapter {
namespace {

constexpr std::size_t kMaxLine = 256;

bool fourDigits(const std::string& s) {
    if (s.size() != 4)
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

int twoDigits(const std::string& s, std::size_t at) {
    return (s[at] - '0') * 10 + s[at + 1] - '0';
}

std::tm reportTime(const std::string& date, const std::string& time, std::time_t now) {
    std::tm when{};
    localtime_r(&now, &when);
    if (fourDigits(date)) {
        const int month = twoDigits(date, 0), day = twoDigits(date, 2);
        if (month >= 1 && month <= 12 && day >= 1 && day <= 31) {
            if (month - 1 > when.tm_mon)
                --when.tm_year;
            when.tm_mon = month - 1;
            when.tm_mday = day;
        }
    }
    if (fourDigits(time)) {
        const int hour = twoDigits(time, 0), minute = twoDigits(time, 2);
        if (hour < 24 && minute < 60) {
            when.tm_hour = hour;
            when.tm_min = minute;
            when.tm_sec = 0;
        }
    }
    return when;
}

} // namespace

std::vector<std::string> LineSplitter::feed(std::string_view bytes) {
    std::vector<std::string> lines;
    for (char c : bytes) {
        if (c == '\r' || c == '\n') {
            if (!overlong_ && !partial_.empty())
                lines.push_back(partial_);
            partial_.clear();
            overlong_ = false;
        } else if (partial_.size() >= kMaxLine) {
            overlong_ = true;
        } else {
            partial_.push_back(c);
        }
    }
    return lines;
}

std::optional<ReportField> parseReportField(std::string_view line) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    ReportField field{trimBlanks(line.substr(0, eq)), trimBlanks(line.substr(eq + 1))};
    if (field.tag != "DATE" && field.tag != "TIME" && field.tag != "NMBR" && field.tag != "NAME")
        return std::nullopt;
    return field;
}

std::optional<ReportedCall> CallerIdReport::add(const ReportField& field, std::time_t now) {
    if (field.tag == "DATE") {
        date_ = field.value;
    } else if (field.tag == "TIME") {
        time_ = field.value;
    } else if (field.tag == "NMBR") {
        std::string number;
        if (isReasonCode(field.value)) {
            number = field.value;
        } else if (auto digits = numberDigits(field.value)) {
            // The program keeps 11 digits; an international number longer
            // than that is cut rather than lost.
            number = digits->substr(0, kNumberField);
        } else {
            return std::nullopt;
        }
        ReportedCall call{number, reportTime(date_, time_, now)};
        date_.clear();
        time_.clear();
        return call;
    }
    return std::nullopt; // NAME: the program finds names itself
}

} // namespace kanata::adapter
