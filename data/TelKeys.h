#pragma once
// The keys and shown forms of telephone numbers and postal codes.
//
// Every place that stores, compares or searches a number reduces it to the
// same key (its ASCII digits, at most 11), so two numbers that differ only in
// hyphens, blanks or brackets find each other. Calls without a number carry
// a one-character reason code instead, which is never a number.
#include <cstddef>
#include <string>
#include <string_view>

namespace kanata {

// Character classes kept by ExtractTelChars; combine with |.
enum TelChars : int { kTelDigits = 1, kTelHyphen = 2, kTelPeriod = 4 };

// Width of the stored search key (SchTel, SchTel1, SchTel2).
inline constexpr std::size_t kTelSearchKeyLength = 11;

// Keeps the single-byte ASCII digits, "-" and "." of a UTF-8 text as the
// classes ask and drops every other character, so full-width digits ("１")
// are dropped, not converted. Order is kept.
std::string ExtractTelChars(std::string_view text, int classes);

// The search key of a number: its ASCII digits, cut to the first 11.
std::string TelSearchKey(std::string_view number);

// True when a stored number is a reason code of a call without a number:
// its first character is one of P O C S $.
bool IsReasonCode(std::string_view tel);

// The text shown for a reason code ("P" -> 匿名着信); empty for any other
// character.
std::string ReasonCodeText(char code);

// Shown form of a postal code stored as digits: 7 digits -> "123-4567",
// 5 digits -> "123-45"; anything else (other lengths, or a text that is not
// all digits) unchanged.
std::string FormatPostalCode(std::string_view digits);

// The stored form of a postal code as typed or shown: its digits only.
std::string PostalCodeToStore(std::string_view shown);

} // namespace kanata
