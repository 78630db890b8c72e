#pragma once
// What a caller-ID modem writes: the byte stream cut into lines, and the
// DATE / TIME / NMBR report lines turned into one call.
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kanata::adapter {

// Cuts a byte stream at CR or LF; a line may arrive in several pieces.
// Runaway lines (a wrong bit rate produces those) are dropped whole.
class LineSplitter {
public:
    std::vector<std::string> feed(std::string_view bytes);

private:
    std::string partial_;
    bool overlong_ = false;
};

struct ReportField {
    std::string tag; // DATE, TIME, NMBR or NAME, matched exactly
    std::string value;
};

// "TAG = VALUE" with any blanks around "="; none for other lines.
std::optional<ReportField> parseReportField(std::string_view line);

struct ReportedCall {
    std::string numberOrReason; // digits (at most 11) or P, O, C, S, $
    std::tm when{};             // the modem's DATE/TIME where it sent them
};

// Collects the fields of one report; NMBR completes it. DATE and TIME carry
// no year: the current one is assumed, the previous one for a date that
// would lie in the future.
class CallerIdReport {
public:
    std::optional<ReportedCall> add(const ReportField& field, std::time_t now);

private:
    std::string date_; // MMDD
    std::string time_; // HHMM
};

} // namespace kanata::adapter
