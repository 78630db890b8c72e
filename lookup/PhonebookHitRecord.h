#pragma once
// Turning a phonebook hit into the caller's record. The number and name
// conversions belong to the keys module; they are handed in, so this step
// stays independent of how they are provided.
#include "data/CallRecord.h"
#include "lookup/PhonebookHit.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

namespace kanata {

struct PhonebookHitConversions {
    // The number in its shown form (FormatTelHyphen).
    std::function<std::string(const std::string& number)> formatTelHyphen;
    // Digits of a postal code in their shown form (FormatPostalCode).
    std::function<std::string(const std::string& digits)> formatPostalCode;
    // The company name with its type mark for a company code (CompanyTypeName).
    std::function<std::string(const std::string& code, const std::string& name)> companyTypeName;
    // (prefecture, rest of the address) (SplitPrefecture).
    std::function<std::pair<std::string, std::string>(const std::string& address)> splitPrefecture;
    // 1/256 second of arc to milliseconds of arc.
    std::function<std::int32_t(std::int32_t)> coordinateToMilliseconds;
};

// Fills `record` from a found hit: the hit's number is first hyphenated and
// written back into the hit; a hit with a company code is a company, else a
// person. Texts are trimmed and cut to the record's widths. Only the fields
// the hit provides are set, together with TelIndex 0 and Division 0.
void FillCallRecordFromHit(PhonebookHit& hit, const PhonebookHitConversions& conversions,
                           CallRecord& record);

} // namespace kanata
