#pragma once
// The hyphenation service: the shown form of a Japanese telephone number
// ("0312345678" -> "03-1234-5678").
//
// It keeps the call shape of the maker's hyphenation library (GetHyphen with
// the number, a 14-byte buffer, the dictionary folder and the current UTC
// time), backed by libphonenumber's numbering plan for Japan. A number that
// the plan does not know as valid is never hyphenated, so it keeps every
// digit as received.
#include "data/HyphenShapeCache.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace kanata {

class MessageService;

// The Windows SYSTEMTIME record.
struct SystemTime {
    uint16_t wYear;
    uint16_t wMonth;
    uint16_t wDayOfWeek; // 0 = Sunday
    uint16_t wDay;
    uint16_t wHour;
    uint16_t wMinute;
    uint16_t wSecond;
    uint16_t wMilliseconds;
};
static_assert(sizeof(SystemTime) == 16, "SystemTime must keep the 16-byte record layout");

// Result codes of GetHyphen and of the in-place form.
enum HyphenResult : int {
    kHyphenDone = 0,
    kHyphenNotANumber = 1,  // empty, not beginning with 0, or other characters
    kHyphenNotValid = 2,    // not a valid Japanese number
    kHyphenTooLong = 3,     // the hyphenated form would not fit 13 characters
    kHyphenBadArgument = 4, // no number or no buffer
    kHyphenNotLoaded = 13,  // the service did not start
};

inline constexpr std::size_t kHyphenBufferSize = 14; // 13 characters + NUL

// The time record of the current moment in UTC.
SystemTime CurrentUtcSystemTime();

// Hyphenates `number` (ASCII digits, with or without hyphens and blanks) into
// `out14`, NUL-terminated, and returns kHyphenDone; anything else means "not
// hyphenated" and leaves `out14` empty. The dictionary folder and the time
// are accepted for the library's call shape: the numbering plan is the one
// libphonenumber was built with, so neither changes the result.
extern "C" int GetHyphen(const char* number, char* out14, const char* dicFolder,
                         const SystemTime* utcNow);

// Empty when libphonenumber can serve Japanese numbers, else what is missing.
std::string CheckJapaneseNumberingPlan();

class HyphenationService {
public:
    using PlanCheck = std::string (*)();

    explicit HyphenationService(PlanCheck check = &CheckJapaneseNumberingPlan);

    // Starts the service once; a failure is shown once, as the library's load
    // failure always was, and the program goes on without hyphenation. Later
    // calls only report the state.
    bool Load(const std::filesystem::path& dicFolder, MessageService& messages);
    bool loaded() const { return loaded_; }

    // The trimmed number hyphenated, or the trimmed number itself when it
    // cannot be (empty, not loaded, not a valid number). Never fails.
    std::string FormatTelHyphen(std::string_view number) const;

    // Hyphenates `number` as it stands (no trimming) and hands back the
    // result code; the number changes only on kHyphenDone.
    int FormatTelHyphenInPlace(std::string& number) const;

private:
    int hyphenate(const std::string& number, std::string& hyphenated) const;

    PlanCheck check_;
    std::filesystem::path dicFolder_;
    // An import or export hyphenates up to 100,000 numbers from a few
    // thousand area codes.
    mutable HyphenShapeCache shapes_;
    bool attempted_ = false;
    bool loaded_ = false;
};

} // namespace kanata
