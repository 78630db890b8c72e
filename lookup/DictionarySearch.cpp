#include "lookup/DictionarySearch.h"

#include "data/Cp932.h"
#include "data/TelKeys.h"
#include "data/WidthConversion.h"
#include "lookup/CoordinateLookup.h"
#include "lookup/DlTel.h"
#include "lookup/DlZplst.h"
#include "lookup/DlZs.h"
#include "lookup/DlZsCnv.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace kanata {
namespace {

const char* const kNoCities = "市区郡町村検索の結果がありません";
const char* const kNoTowns = "町大字検索の結果がありません";
const char* const kNoOffices = "大口事業所検索の結果がありません";

std::string digitsOf(const std::string& text) {
    std::string d;
    for (char c : text)
        if (std::isdigit(static_cast<unsigned char>(c)))
            d += c;
    return d;
}

std::string folderText(const std::filesystem::path& folder) {
    return cp932::encode(folder.string());
}

template <typename LibraryError>
std::unique_ptr<DicDataUse> loadLibrary(const std::filesystem::path& dicFolder,
                                        const char* library) {
    try {
        return std::make_unique<DicDataUse>(folderText(dicFolder));
    } catch (const std::runtime_error& e) {
        throw LibraryError(DicLoadErrorText(library, e.what()));
    }
}

// Room for `n` records, never none: the calls take a buffer even for none.
template <typename Record> std::vector<Record> records(std::size_t n) {
    return std::vector<Record>(std::max<std::size_t>(n, 1));
}

template <typename Town>
std::vector<DicTown> decodeTowns(const std::vector<Town>& towns,
                                 const std::vector<DicOfficeRecord>* offices, std::size_t n) {
    std::vector<DicTown> out;
    out.reserve(n);
    // Neighbouring rows mostly share their municipality: a slot with the
    // bytes of the one before is that one's text again.
    const auto same = [](const auto& a, const auto& b) { return std::memcmp(a, b, sizeof a) == 0; };
    for (std::size_t i = 0; i < n; ++i) {
        const Town& t = towns[i];
        if (i == 0) {
            out.push_back(DecodedTown(t));
        } else {
            const Town& before = towns[i - 1];
            const DicTown& last = out.back();
            out.push_back({dicdata::Get(t.postal),
                           same(t.jis, before.jis) ? last.jis : dicdata::Get(t.jis),
                           dicdata::Get(t.kajo),
                           same(t.prefecture, before.prefecture) ? last.prefecture
                                                                 : dicdata::Get(t.prefecture),
                           same(t.city, before.city) ? last.city : dicdata::Get(t.city),
                           dicdata::Get(t.town),
                           dicdata::Get(t.reading),
                           {},
                           {}});
        }
        if (offices) {
            out.back().office = dicdata::Get((*offices)[i].name);
            out.back().officeAddress = dicdata::Get((*offices)[i].address);
        }
    }
    return out;
}

} // namespace

std::string DicCallErrorText(const char* function, const char* library, int rc) {
    return std::string(function) + " (" + library + ") Call Error\r\nRC = " + std::to_string(rc);
}

std::string DicLoadErrorText(const char* library, const std::string& failure) {
    return std::string(library) + " LoadLibrary Error\r\nDLLのロードに失敗しました\r\n" + failure;
}

// ---- common to the three searches

AddressSearchBase::AddressSearchBase(const std::filesystem::path& dicFolder, const char* library,
                                     CoordinateLookup* coordinates)
    : folder_(folderText(dicFolder)), libraryName_(library), coordinates_(coordinates) {}

AddressSearchBase::~AddressSearchBase() {
    if (usingCoordinates_)
        coordinates_->Release();
}

void AddressSearchBase::check(int rc, std::initializer_list<int> accepted,
                              const char* function) const {
    if (std::find(accepted.begin(), accepted.end(), rc) == accepted.end())
        libraryError(DicCallErrorText(function, libraryName_, rc));
}

void AddressSearchBase::setCities(std::vector<DicCity> cities) {
    cities_ = std::move(cities);
    townsCity_ = SIZE_MAX;
    towns_.clear();
    if (cities_.empty())
        emptyList(kNoCities);
}

const std::vector<DicTown>& AddressSearchBase::Towns(std::size_t i, bool offices) {
    if (i >= cities_.size())
        emptyList(offices ? kNoOffices : kNoTowns);
    if (i != townsCity_ || offices != townsOffices_) {
        towns_ = fetchTowns(i, offices);
        townsCity_ = i;
        townsOffices_ = offices;
    }
    return towns_;
}

DicResult AddressSearchBase::MakeResult(std::size_t i, const DicTown* town) {
    const DicCity& city = cities_.at(i);
    DicResult r;
    r.prefecture = city.prefecture;
    r.city = city.city;
    r.jisCode = city.jis;
    if (town) {
        r.postalCode = FormatPostalCode(town->postal);
        r.prefecture = town->prefecture;
        r.city = town->city;
        r.town = town->town;
        r.jisCode = town->jis;
        r.kajoCode = town->kajo;
        if (town->isOffice()) {
            r.town = cp932::trim(town->town + ToFullWidth(town->officeAddress));
            r.nameKanji = town->office;
        }
    }
    if (coordinates_ && !usingCoordinates_)
        usingCoordinates_ = coordinates_->Acquire() == 0;
    if (usingCoordinates_ && !(r.prefecture + r.city).empty()) {
        const std::string place = r.prefecture + r.city + (town ? town->town : "");
        check(coordinates_->Coordinates(place, r.latitude, r.longitude),
              {kDlFound, kDlBadInput, kDlNone}, "DLMTAdrs");
    }
    return r;
}

// ---- Dltel

TKykbnSearch::TKykbnSearch(const std::filesystem::path& dicFolder, CoordinateLookup* coordinates)
    : AddressSearchBase(dicFolder, "Dltel.dll", coordinates),
      loaded_(loadLibrary<EDLTelError>(dicFolder, "Dltel.dll")) {}

TKykbnSearch::~TKykbnSearch() = default;

int TKykbnSearch::Search(const std::string& number) {
    digits_ = digitsOf(number);
    if (digits_.empty())
        throw EKykbnSearchError("検索電話番号が未入力です");
    cities_.clear();
    char formatted[kDltelFormattedSize] = {};
    std::int16_t count = 0;
    const int rc = DLTLPrefix(digits_.c_str(), formatted, &count, folder_.c_str());
    check(rc, {kDlFound, kDlBadInput, kDlNone}, "DLTLPrefix");
    formatted_ = dicdata::Get(formatted);
    if (rc != kDlFound)
        return rc;
    records_ = records<DltelCity>(std::max<std::size_t>(count, kDltelCityCapacity));
    check(DLTLCity2(digits_.c_str(), records_.data(), folder_.c_str()), {kDlFound}, "DLTLCity2");
    std::vector<DicCity> cities;
    for (std::int16_t c = 0; c < count; ++c) {
        const DltelCity& rec = records_[static_cast<std::size_t>(c)];
        const std::string jis = dicdata::Get(rec.jis);
        std::string name = dicdata::Get(rec.name);
        cities.push_back(
            {name, jis, dicdata::PrefectureOfJis(jis), std::move(name), rec.townCount, 0});
    }
    setCities(std::move(cities));
    return kDicFound;
}

std::vector<DicTown> TKykbnSearch::fetchTowns(std::size_t i, bool /*offices*/) {
    const DicCity& city = cities_[i];
    const DltelCity& record = records_[i];
    if (record.townCount == 0)
        return {}; // the library's 8: an area without towns
    std::vector<DltelTown> batch(kDltelBatch);
    std::vector<DicTown> towns;
    auto take = [&] {
        const std::size_t n = std::min<std::size_t>(kDltelBatch, record.townCount - towns.size());
        for (std::size_t k = 0; k < n; ++k) {
            const DltelTown& t = batch[k];
            towns.push_back({dicdata::Get(t.postal),
                             dicdata::Get(t.jis),
                             dicdata::Get(t.kajo),
                             city.prefecture,
                             city.city,
                             dicdata::Get(t.name),
                             dicdata::Get(t.reading),
                             {},
                             {}});
        }
    };
    std::int16_t status = 0;
    const DlHandle handle =
        DLTLTown2First(digits_.c_str(), &record, batch.data(), &status, folder_.c_str());
    check(status, {kDltelLastBatch, kDltelMoreBatches, kDlNone}, "DLTLTown2First");
    if (status == kDlNone)
        return towns;
    take();
    while (status == kDltelMoreBatches && towns.size() < record.townCount) {
        status = static_cast<std::int16_t>(DLTLTown2Next(handle, batch.data()));
        if (status != kDltelLastBatch && status != kDltelMoreBatches)
            break;
        take();
    }
    const int closed = DLTLTown2Close(handle);
    check(status, {kDltelLastBatch, kDltelMoreBatches}, "DLTLTown2Next");
    check(closed, {kDlFound}, "DLTLTown2Close");
    return towns;
}

// ---- Dlzplst

TPosSearch::TPosSearch(const std::filesystem::path& dicFolder, CoordinateLookup* coordinates)
    : AddressSearchBase(dicFolder, "Dlzplst.dll", coordinates),
      loaded_(loadLibrary<EDlzplstError>(dicFolder, "Dlzplst.dll")) {}

TPosSearch::~TPosSearch() {
    if (handle_)
        DLZPLSTClose(handle_);
}

void TPosSearch::close() {
    if (!handle_)
        return;
    const int rc = DLZPLSTClose(handle_);
    handle_ = 0;
    check(rc, {kDlFound}, "DLZPLSTClose");
}

int TPosSearch::Search(const std::string& postal) {
    if (digitsOf(postal).empty())
        throw EPosSearchError("検索郵便番号が未入力です");
    cities_.clear();
    close();
    std::int16_t count = 0, status = 0;
    handle_ = DLZPLSTFirst(cp932::encode(postal).c_str(), &count, &status, folder_.c_str());
    check(status, {kDlFound, kDlBadInput, kDlNone}, "DLZPLSTFirst");
    if (status != kDlFound)
        return status;
    records_ = records<DlzplstCity>(static_cast<std::size_t>(count));
    check(DLZPLSTCityList(handle_, records_.data(), 0, count), {kDlFound}, "DLZPLSTCityList");
    std::vector<DicCity> cities;
    for (std::int16_t c = 0; c < count; ++c) {
        const DlzplstCity& rec = records_[static_cast<std::size_t>(c)];
        std::string name = dicdata::Get(rec.name);
        cities.push_back({name, dicdata::Get(rec.jis), dicdata::Get(rec.prefecture),
                          std::move(name), rec.townCount, rec.officeCount});
    }
    setCities(std::move(cities));
    return kDicFound;
}

std::vector<DicTown> TPosSearch::fetchTowns(std::size_t i, bool offices) {
    const DlzplstCity& city = records_[i];
    const std::int16_t n = static_cast<std::int16_t>(offices ? city.officeCount : city.townCount);
    if (!offices) {
        // The same towns as the records of DLZPLSTTownList decode, kept
        // decoded by the library.
        std::vector<DicTown> decoded;
        const int rc = DlzplstDecodedTowns(handle_, &city, decoded);
        check(rc, {kDlFound, kDlNone}, "DLZPLSTTownList");
        return decoded;
    }
    auto towns = records<DlzplstTown>(static_cast<std::size_t>(n));
    auto office = records<DicOfficeRecord>(static_cast<std::size_t>(n));
    const int rc = DLZPLSTLgTownList(handle_, &city, towns.data(), office.data(), 0, n);
    check(rc, {kDlFound, kDlNone}, "DLZPLSTLgTownList");
    return rc == kDlFound ? decodeTowns(towns, &office, static_cast<std::size_t>(n))
                          : std::vector<DicTown>{};
}

// ---- Dlzs

TAdrsSearch::TAdrsSearch(const std::filesystem::path& dicFolder, CoordinateLookup* coordinates)
    : AddressSearchBase(dicFolder, "Dlzs.dll", coordinates),
      loaded_(loadLibrary<EDLZsError>(dicFolder, "Dlzs.dll")) {}

TAdrsSearch::~TAdrsSearch() = default;

int TAdrsSearch::Search(const std::string& address) {
    const std::string text = cp932::cutToWidth(ToFullWidth(cp932::trim(address)), 254);
    if (text.empty())
        throw EAdrsSearchError("検索住所が未入力です");
    cities_.clear();
    address_ = cp932::encode(text);
    std::int32_t count = 0;
    const int rc = DLZsJisCount(address_.c_str(), &count, folder_.c_str());
    check(rc, {kDlFound, kDlBadInput, kDlNone}, "DLZsJisCount");
    if (rc != kDlFound)
        return rc;
    records_ = records<DlzsCity>(static_cast<std::size_t>(count));
    check(DLZsJisList(address_.c_str(), records_.data(), count, folder_.c_str()), {kDlFound},
          "DLZsJisList");
    std::vector<DicCity> cities;
    for (std::int32_t c = 0; c < count; ++c) {
        const DlzsCity& rec = records_[static_cast<std::size_t>(c)];
        const std::string prefecture = dicdata::Get(rec.prefecture);
        const std::string name = dicdata::Get(rec.name);
        cities.push_back({prefecture + name, dicdata::Get(rec.jis), prefecture, name, -1, -1});
    }
    setCities(std::move(cities));
    return kDicFound;
}

std::vector<DicTown> TAdrsSearch::fetchTowns(std::size_t i, bool offices) {
    const DlzsCity& city = records_[i];
    const char* a = address_.c_str();
    std::int32_t n = 0;
    const int counted = offices ? DLZsLargeCount(a, &city, &n, folder_.c_str())
                                : DLZsTownCount(a, &city, &n, folder_.c_str());
    check(counted, {kDlFound, kDlNone}, offices ? "DLZsLargeCount" : "DLZsTownCount");
    if (counted == kDlNone)
        return {};
    auto towns = records<DlzsTown>(static_cast<std::size_t>(n));
    if (!offices) {
        check(DLZsTownList(a, &city, towns.data(), n, folder_.c_str()), {kDlFound}, "DLZsTownList");
        return decodeTowns(towns, nullptr, static_cast<std::size_t>(n));
    }
    auto office = records<DicOfficeRecord>(static_cast<std::size_t>(n));
    check(DLZsLargeList(a, &city, towns.data(), office.data(), n, folder_.c_str()), {kDlFound},
          "DLZsLargeList");
    return decodeTowns(towns, &office, static_cast<std::size_t>(n));
}

// ---- DLZsCnv

TContinualAdrsSearch::TContinualAdrsSearch(const std::filesystem::path& dicFolder)
    : folder_(folderText(dicFolder)), loaded_(loadLibrary<EDLZsCnvErro>(dicFolder, "DLZsCnv.dll")) {
}

TContinualAdrsSearch::~TContinualAdrsSearch() = default;

int TContinualAdrsSearch::Convert(const std::string& address, AddressConversion& result) const {
    const std::string text = cp932::trim(address);
    if (text.empty())
        throw EContinualAdrsSearchError("検索住所が未入力です");
    DlzscnvResult r{};
    const int rc = DLZSCAdrs(cp932::encode(text).c_str(), &r, folder_.c_str());
    if (rc != kDlFound && rc != kDlAmbiguous && rc != kDlBadInput && rc != kDlNone)
        throw EDLZsCnvErro(DicCallErrorText("DLZSCAdrs", "DLZsCnv.dll", rc));
    if (rc != kDlFound)
        return rc;
    result = {dicdata::Get(r.postal),
              dicdata::Get(r.jis),
              dicdata::Get(r.kajo),
              dicdata::Get(r.prefecture),
              dicdata::Get(r.city),
              dicdata::Get(r.town),
              r.latitude,
              r.longitude};
    return rc;
}

} // namespace kanata
