#include "lookup/DlZs.h"

#include "data/Cp932.h"

#include <vector>

namespace kanata {
namespace {

struct Named {
    int result = kDlBadInput;
    std::shared_ptr<const AddressDictionary> data; // keeps the matches' municipalities
    std::vector<AddressDictionary::AddressMatch> matches;
};

Named municipalitiesOf(const char* address, const char* folder) {
    Named n;
    const std::string text = cp932::trim(dicdata::Text(address));
    if (text.empty())
        return n;
    n.data = dicdata::Open(folder);
    if (!n.data) {
        n.result = kDlNoData;
        return n;
    }
    n.matches = n.data->MunicipalitiesOf(text);
    n.result = n.matches.empty() ? kDlNone : kDlFound;
    return n;
}

struct Rows {
    int result = kDlBadArgument;
    std::vector<PostalRow> rows;
};

// The towns (offices) of `city` that fit the address.
Rows rowsOf(const char* address, const DlzsCity* city, bool offices, const char* folder) {
    Rows r;
    if (!address || !city)
        return r;
    const Named n = municipalitiesOf(address, folder);
    if (n.result != kDlFound) {
        r.result = n.result;
        return r;
    }
    const std::string jis = dicdata::Get(city->jis);
    for (const auto& match : n.matches)
        if (match.municipality->jis == jis) {
            r.rows = n.data->TownsFor(match, offices);
            r.result = r.rows.empty() ? kDlNone : kDlFound;
        }
    return r;
}

int countRows(const char* address, const DlzsCity* city, std::int32_t* count, bool offices,
              const char* folder) {
    if (!count)
        return kDlBadArgument;
    const Rows r = rowsOf(address, city, offices, folder);
    *count = static_cast<std::int32_t>(r.rows.size());
    return r.result;
}

int listRows(const char* address, const DlzsCity* city, DlzsTown* towns, DicOfficeRecord* offices,
             std::int32_t count, const char* folder) {
    if (!towns)
        return kDlBadArgument;
    const Rows r = rowsOf(address, city, offices != nullptr, folder);
    if (r.result != kDlFound)
        return r.result;
    if (count < 0 || static_cast<std::size_t>(count) > r.rows.size())
        return kDlBadArgument;
    for (std::int32_t i = 0; i < count; ++i) {
        const PostalRow& row = r.rows[static_cast<std::size_t>(i)];
        towns[i] = DlzsTown{};
        dicdata::PutTown(towns[i], row);
        if (offices) {
            offices[i] = DicOfficeRecord{};
            dicdata::PutOffice(offices[i], row);
        }
    }
    return kDlFound;
}

} // namespace

extern "C" int DLZsJisCount(const char* address, std::int32_t* count, const char* folder) {
    if (!address || !count)
        return kDlBadArgument;
    const Named n = municipalitiesOf(address, folder);
    *count = static_cast<std::int32_t>(n.matches.size());
    return n.result;
}

extern "C" int DLZsJisList(const char* address, DlzsCity* cities, std::int32_t count,
                           const char* folder) {
    if (!address || !cities)
        return kDlBadArgument;
    const Named n = municipalitiesOf(address, folder);
    if (n.result != kDlFound)
        return n.result;
    if (count < 0 || static_cast<std::size_t>(count) > n.matches.size())
        return kDlBadArgument;
    for (std::int32_t i = 0; i < count; ++i) {
        const Municipality& m = *n.matches[static_cast<std::size_t>(i)].municipality;
        cities[i] = DlzsCity{};
        dicdata::Put(cities[i].jis, m.jis);
        dicdata::Put(cities[i].prefecture, m.prefecture);
        dicdata::Put(cities[i].name, m.name);
        dicdata::Put(cities[i].reading, m.kana);
    }
    return kDlFound;
}

extern "C" int DLZsTownCount(const char* address, const DlzsCity* city, std::int32_t* count,
                             const char* folder) {
    return countRows(address, city, count, false, folder);
}

extern "C" int DLZsTownList(const char* address, const DlzsCity* city, DlzsTown* towns,
                            std::int32_t count, const char* folder) {
    return listRows(address, city, towns, nullptr, count, folder);
}

extern "C" int DLZsLargeCount(const char* address, const DlzsCity* city, std::int32_t* count,
                              const char* folder) {
    return countRows(address, city, count, true, folder);
}

extern "C" int DLZsLargeList(const char* address, const DlzsCity* city, DlzsTown* towns,
                             DicOfficeRecord* offices, std::int32_t count, const char* folder) {
    if (!offices)
        return kDlBadArgument;
    return listRows(address, city, towns, offices, count, folder);
}

} // namespace kanata
