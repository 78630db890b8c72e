#include "data/TelKeys.h"

#include <algorithm>

namespace kanata {
namespace {

bool isAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

bool allAsciiDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), isAsciiDigit);
}

} // namespace

// In UTF-8 every byte below 0x80 is a character of its own and every byte of
// a longer character is 0x80 or above, so a plain byte walk keeps exactly the
// single-byte characters. (The code page 932 form gives the same result: its
// trail bytes start at 0x40, above every character kept here.)
std::string ExtractTelChars(std::string_view text, int classes) {
    std::string kept;
    kept.reserve(text.size());
    for (char c : text) {
        if ((isAsciiDigit(c) && (classes & kTelDigits)) || (c == '-' && (classes & kTelHyphen)) ||
            (c == '.' && (classes & kTelPeriod)))
            kept.push_back(c);
    }
    return kept;
}

std::string TelSearchKey(std::string_view number) {
    std::string key = ExtractTelChars(number, kTelDigits);
    if (key.size() > kTelSearchKeyLength)
        key.resize(kTelSearchKeyLength);
    return key;
}

bool IsReasonCode(std::string_view tel) {
    return !tel.empty() && !ReasonCodeText(tel.front()).empty();
}

std::string ReasonCodeText(char code) {
    switch (code) {
    case 'P':
        return "匿名着信";
    case 'O':
        return "表示圏外";
    case 'C':
        return "公衆電話";
    case 'S':
        return "契約条件";
    case '$':
        return "特殊電話番号";
    default:
        return {};
    }
}

// Only a code of digits is split: a 7-character text that already carries a
// hyphen would otherwise come back with two.
std::string FormatPostalCode(std::string_view digits) {
    if (!allAsciiDigits(digits))
        return std::string(digits);
    if (digits.size() != 7 && digits.size() != 5)
        return std::string(digits);
    return std::string(digits.substr(0, 3)) + "-" + std::string(digits.substr(3));
}

std::string PostalCodeToStore(std::string_view shown) {
    return ExtractTelChars(shown, kTelDigits);
}

} // namespace kanata
