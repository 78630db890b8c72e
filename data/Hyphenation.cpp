#include "data/Hyphenation.h"

#include "data/Cp932.h"
#include "data/TelKeys.h"
#include "platform/MessageService.h"

#include <phonenumbers/phonenumber.pb.h>
#include <phonenumbers/phonenumberutil.h>

#include <chrono>
#include <cstring>
#include <ctime>
#include <set>

namespace kanata {
namespace {

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

constexpr const char* kRegion = "JP";
// Longer input is no telephone number; the bound also keeps the scan of a
// caller's text short.
constexpr std::size_t kLongestInput = 64;

// The digits of a number written with digits, hyphens and blanks; empty when
// any other character appears.
std::string digitsOfNumber(std::string_view number) {
    std::string digits;
    for (char c : number) {
        if (c >= '0' && c <= '9')
            digits.push_back(c);
        else if (c != '-' && static_cast<unsigned char>(c) > 0x20)
            return {};
    }
    return digits;
}

int hyphenateDigits(const std::string& digits, std::string& hyphenated) {
    if (digits.empty() || digits.front() != '0')
        return kHyphenNotANumber;
    const PhoneNumberUtil& util = *PhoneNumberUtil::GetInstance();
    PhoneNumber parsed;
    if (util.Parse(digits, kRegion, &parsed) != PhoneNumberUtil::NO_PARSING_ERROR ||
        !util.IsValidNumber(parsed))
        return kHyphenNotValid;
    util.Format(parsed, PhoneNumberUtil::NATIONAL, &hyphenated);
    // The national form of a valid number has the same digits; anything else
    // (a dropped trunk 0) must not replace the number.
    if (ExtractTelChars(hyphenated, kTelDigits) != digits)
        return kHyphenNotValid;
    if (hyphenated.size() >= kHyphenBufferSize)
        return kHyphenTooLong;
    return kHyphenDone;
}

} // namespace

SystemTime CurrentUtcSystemTime() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    return SystemTime{
        static_cast<uint16_t>(utc.tm_year + 1900), static_cast<uint16_t>(utc.tm_mon + 1),
        static_cast<uint16_t>(utc.tm_wday),        static_cast<uint16_t>(utc.tm_mday),
        static_cast<uint16_t>(utc.tm_hour),        static_cast<uint16_t>(utc.tm_min),
        static_cast<uint16_t>(utc.tm_sec),         static_cast<uint16_t>(millis)};
}

extern "C" int GetHyphen(const char* number, char* out14, const char* dicFolder,
                         const SystemTime* utcNow) {
    (void)dicFolder;
    (void)utcNow;
    if (number == nullptr || out14 == nullptr)
        return kHyphenBadArgument;
    out14[0] = '\0';
    const std::size_t length = strnlen(number, kLongestInput + 1);
    if (length > kLongestInput)
        return kHyphenNotANumber;
    std::string hyphenated;
    const int result = hyphenateDigits(digitsOfNumber({number, length}), hyphenated);
    if (result == kHyphenDone)
        std::memcpy(out14, hyphenated.c_str(), hyphenated.size() + 1);
    return result;
}

std::string CheckJapaneseNumberingPlan() {
    const PhoneNumberUtil& util = *PhoneNumberUtil::GetInstance();
    std::set<std::string> regions;
    util.GetSupportedRegions(&regions);
    if (!regions.contains(kRegion) || util.GetCountryCodeForRegion(kRegion) != 81)
        return "libphonenumber に日本 (JP) の番号計画がありません";
    std::string sample;
    if (hyphenateDigits("0312345678", sample) != kHyphenDone || sample != "03-1234-5678")
        return "libphonenumber の日本 (JP) の番号計画で番号を書式化できません";
    return {};
}

HyphenationService::HyphenationService(PlanCheck check)
    : check_(check), shapes_(&hyphenateDigits) {}

bool HyphenationService::Load(const std::filesystem::path& dicFolder, MessageService& messages) {
    if (attempted_)
        return loaded_;
    attempted_ = true;
    dicFolder_ = dicFolder;
    const std::string missing = check_();
    loaded_ = missing.empty();
    if (!loaded_)
        messages.error("Dlhyp.dll LoadLibrary Error\r\nDLLのロードに失敗しました\r\n" + missing);
    return loaded_;
}

// As GetHyphen answers, without its buffer: the same digits and bounds, with
// the shapes of earlier numbers reused.
int HyphenationService::hyphenate(const std::string& number, std::string& hyphenated) const {
    const std::size_t length = strnlen(number.c_str(), kLongestInput + 1);
    if (length > kLongestInput)
        return kHyphenNotANumber;
    return shapes_.hyphenate(digitsOfNumber({number.c_str(), length}), hyphenated);
}

std::string HyphenationService::FormatTelHyphen(std::string_view number) const {
    std::string trimmed = cp932::trim(number);
    if (trimmed.empty() || !loaded_)
        return trimmed;
    std::string hyphenated;
    if (hyphenate(trimmed, hyphenated) != kHyphenDone)
        return trimmed;
    return cp932::trim(hyphenated);
}

int HyphenationService::FormatTelHyphenInPlace(std::string& number) const {
    if (!loaded_)
        return kHyphenNotLoaded;
    std::string hyphenated;
    const int result = hyphenate(number, hyphenated);
    if (result == kHyphenDone)
        number = std::move(hyphenated);
    return result;
}

} // namespace kanata
