#include "lookup/DictionarySearch.h"

#include "data/Cp932.h"
#include "data/Hyphenation.h"
#include "data/TelKeys.h"
#include "data/WidthConversion.h"

#include <algorithm>
#include <cctype>

namespace kanata {
namespace {

const char* const kNoCities = "市区郡町村検索の結果がありません";
const char* const kNoTowns = "町大字検索の結果がありません";
const char* const kNoOffices = "大口事業所検索の結果がありません";

bool digitsAndHyphens(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) || c == '-';
    });
}

std::string digitsOf(const std::string& text) {
    std::string d;
    for (char c : text)
        if (std::isdigit(static_cast<unsigned char>(c)))
            d += c;
    return d;
}

std::string formatNumber(const std::string& digits) {
    char out[kHyphenBufferSize] = {};
    const SystemTime now = CurrentUtcSystemTime();
    if (GetHyphen(digits.c_str(), out, "", &now) == kHyphenDone && out[0])
        return out;
    return digits;
}

std::string trimmed(std::string_view s) {
    return cp932::trim(s);
}

} // namespace

std::shared_ptr<const AddressDictionary> OpenAddressDictionary(const std::filesystem::path& dic) {
    try {
        return std::make_shared<const AddressDictionary>(dic);
    } catch (const std::runtime_error& e) {
        throw DictionaryError(e.what());
    }
}

AddressSearchBase::AddressSearchBase(std::shared_ptr<const AddressDictionary> dictionary)
    : dictionary_(std::move(dictionary)) {}

void AddressSearchBase::setCities(std::vector<DicCity> cities) {
    cities_ = std::move(cities);
    townsCity_ = SIZE_MAX;
    towns_.clear();
    if (cities_.empty())
        emptyList(kNoCities);
}

std::vector<PostalRow> AddressSearchBase::fetchTowns(const DicCity& city, bool offices) const {
    if (!city.municipality)
        return {};
    return dictionary_->RowsOfMunicipality(city.municipality->jis, offices);
}

const std::vector<PostalRow>& AddressSearchBase::Towns(std::size_t i, bool offices) {
    if (i >= cities_.size())
        emptyList(offices ? kNoOffices : kNoTowns);
    if (i != townsCity_ || offices != townsOffices_) {
        towns_ = fetchTowns(cities_[i], offices);
        townsCity_ = i;
        townsOffices_ = offices;
    }
    return towns_;
}

DicResult AddressSearchBase::MakeResult(std::size_t i, const PostalRow* row) const {
    DicResult r;
    const DicCity& city = cities_.at(i);
    if (const Municipality* m = city.municipality) {
        r.prefecture = m->prefecture;
        r.city = m->name;
        r.jisCode = m->jis;
        r.latitude = m->latitude.value_or(0);
        r.longitude = m->longitude.value_or(0);
    } else {
        r.city = city.name;
    }
    if (row) {
        r.postalCode = FormatPostalCode(row->postal);
        r.prefecture = row->prefecture;
        r.city = row->city;
        r.town = trimmed(TownBaseName(row->town));
        if (row->isOffice()) {
            r.town = trimmed(TownBaseName(row->town) + ToFullWidth(row->officeAddress));
            r.nameKanji = trimmed(row->office);
        }
    }
    return r;
}

int TKykbnSearch::Search(const std::string& number) {
    const std::string digits = digitsOf(number);
    if (digits.empty())
        throw EKykbnSearchError("検索電話番号が未入力です");
    cities_.clear();
    formatted_ = formatNumber(digits);
    if (digits.size() < 2 || digits[0] != '0')
        return kDicBadInput;
    const ExchangeArea* area = dictionary_->AreaOf(digits);
    if (!area)
        return kDicNotFound;
    std::vector<DicCity> cities;
    for (const std::string& jis : area->jis)
        if (const Municipality* m = dictionary_->FindMunicipality(jis))
            cities.push_back({m->name, m, {}, {}});
    if (cities.empty())
        cities.push_back({area->name, nullptr, {}, {}});
    setCities(std::move(cities));
    return kDicFound;
}

int TPosSearch::Search(const std::string& postal) {
    const std::string digits = digitsOf(postal);
    if (digits.empty())
        throw EPosSearchError("検索郵便番号が未入力です");
    cities_.clear();
    if (!digitsAndHyphens(postal) ||
        (digits.size() != 3 && digits.size() != 5 && digits.size() != 7))
        return kDicBadInput;
    std::vector<DicCity> cities;
    for (PostalRow& row : dictionary_->ByPostalPrefix(digits)) {
        const std::string key = row.prefecture + row.city;
        auto it = std::find_if(cities.begin(), cities.end(), [&](const DicCity& c) {
            return c.rows.front().prefecture + c.rows.front().city == key;
        });
        if (it == cities.end()) {
            cities.push_back({row.city, dictionary_->FindMunicipality(row.jis), {}, {}});
            it = cities.end() - 1;
        }
        it->rows.push_back(std::move(row));
    }
    if (cities.empty())
        return kDicNotFound;
    setCities(std::move(cities));
    return kDicFound;
}

std::vector<PostalRow> TPosSearch::fetchTowns(const DicCity& city, bool offices) const {
    std::vector<PostalRow> out;
    for (const PostalRow& r : city.rows)
        if (r.isOffice() == offices)
            out.push_back(r);
    return out;
}

int TAdrsSearch::Search(const std::string& address) {
    const std::string text = cp932::cutToWidth(ToFullWidth(trimmed(address)), 254);
    if (text.empty())
        throw EAdrsSearchError("検索住所が未入力です");
    cities_.clear();
    std::vector<DicCity> cities;
    for (auto& match : dictionary_->MunicipalitiesOf(text))
        cities.push_back({match.municipality->prefecture + match.municipality->name,
                          match.municipality,
                          std::move(match.rest),
                          {}});
    if (cities.empty())
        return kDicNotFound;
    setCities(std::move(cities));
    return kDicFound;
}

std::vector<PostalRow> TAdrsSearch::fetchTowns(const DicCity& city, bool offices) const {
    return dictionary_->TownsFor({city.municipality, city.addressRest}, offices);
}

int TContinualAdrsSearch::Convert(const std::string& address, AddressCompletion& result) const {
    const std::string text = trimmed(address);
    if (text.empty())
        throw EContinualAdrsSearchError("検索住所が未入力です");
    result = dictionary_->Complete(text);
    return result.found() ? kDicFound : kDicNotFound;
}

} // namespace kanata
