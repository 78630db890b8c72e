#include "lookup/PhonebookHitRecord.h"

#include "data/Cp932.h"
#include "lookup/FixedSlot.h"

namespace kanata {
namespace {

std::string asciiDigits(const std::string& text) {
    std::string digits;
    for (char c : text)
        if (c >= '0' && c <= '9')
            digits.push_back(c);
    return digits;
}

std::string fitted(const std::string& text, std::size_t width) {
    return cp932::cutToWidth(cp932::trim(text), width);
}

} // namespace

void FillCallRecordFromHit(PhonebookHit& hit, const PhonebookHitConversions& convert,
                           CallRecord& record) {
    slot::write(hit.Tel, convert.formatTelHyphen(cp932::trim(slot::read(hit.Tel))));
    const std::string tel = cp932::trim(slot::read(hit.Tel));
    record.SchTel[0] = asciiDigits(tel).substr(0, CallRecord::kSchTelWidth);
    record.Tel[0] = fitted(tel, CallRecord::kTelWidth);
    record.TelIndex = 0;

    record.Pos =
        fitted(convert.formatPostalCode(cp932::trim(slot::read(hit.Pos))), CallRecord::kPosWidth);
    auto [prefecture, city] = convert.splitPrefecture(cp932::trim(slot::read(hit.Address1)));
    record.Tdfkn = fitted(prefecture, CallRecord::kTdfknWidth);
    record.Adrs1 = fitted(city, CallRecord::kAdrs1Width);
    record.Adrs2 =
        fitted(cp932::trim(slot::read(hit.Address2)) + cp932::trim(slot::read(hit.Address3)),
               CallRecord::kAdrs2Width);
    record.Adrs3.clear();
    const std::string codes = slot::read(hit.AddressCode);
    record.JisCode = fitted(codes.substr(0, 5), CallRecord::kJisCodeWidth);
    record.KajoCode =
        codes.size() > 5 ? fitted(codes.substr(5, 6), CallRecord::kKajoCodeWidth) : std::string();

    const std::string name = cp932::trim(slot::read(hit.NameKanji));
    const std::string kana = cp932::trim(slot::read(hit.NameKana));
    const std::string company = cp932::trim(slot::read(hit.CompanyCode));
    if (!company.empty()) {
        const std::string marked = company == "00" ? name : convert.companyTypeName(company, name);
        record.CorpKanji = fitted(marked, CallRecord::kCorpKanjiWidth);
        record.CorpKana = fitted(kana, CallRecord::kCorpKanaWidth);
        record.PrivCorp = 1;
    } else {
        record.NameKanji = fitted(name, CallRecord::kNameKanjiWidth);
        record.NameKana = fitted(kana, CallRecord::kNameKanaWidth);
        record.PrivCorp = 0;
    }
    record.Latitude = convert.coordinateToMilliseconds(hit.Latitude);
    record.Longitude = convert.coordinateToMilliseconds(hit.Longitude);
    record.Division = 0;
}

} // namespace kanata
