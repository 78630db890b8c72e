#pragma once
// The texts a library posts: the call-data line and the event record.
//
// A call-data line is 33 characters: the number (or reason code) left in an
// 11-character field padded with blanks, then "  yyyy/mm/dd  hh:nn:ss", the
// moment the adapter saw the call. The program reads only the number field.
#include "intake/AdapterAbi.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace kanata::adapter {

inline constexpr std::size_t kNumberField = 11;

// A reason code for a call without a number: P anonymous, O out of area,
// C public phone, S contract, $ special number.
bool isReasonCode(std::string_view text);

// Digits of a number written with digits and hyphens; none for anything
// else (letters, blanks inside, empty).
std::optional<std::string> numberDigits(std::string_view text);

std::string callDataLine(std::string_view numberOrReason, std::time_t when);
// Same, with the adapter's own clock reading.
std::string callDataLine(std::string_view numberOrReason, const std::tm& when);

// Posts one event to the program's host object. Thread-safe as the host is.
class EventPoster {
public:
    explicit EventPoster(AdapterHostObject* host = nullptr) : host_(host) {}
    void callData(const std::string& line) const;
    // Texts are UTF-8 here and go out as code page 932.
    void error(std::int32_t code, std::string_view textUtf8) const;
    void notice(std::int32_t code, std::string_view textUtf8) const;

private:
    void post(std::uint32_t message, std::int32_t code, const std::string& cp932) const;
    AdapterHostObject* host_;
};

std::string trimBlanks(std::string_view text);

} // namespace kanata::adapter
