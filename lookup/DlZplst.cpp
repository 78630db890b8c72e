#include "lookup/DlZplst.h"

#include "lookup/DictionarySearch.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace kanata {
namespace {

struct CityRows {
    std::string_view prefecture, city; // of the dictionary's text
    DlzplstCity record{};
    std::vector<std::uint32_t> towns, offices; // lines of the postal table
};

struct PostalListing {
    std::shared_ptr<const AddressDictionary> data; // kept open while listing
    std::string digits;
    std::vector<CityRows> cities;
};

HandleTable<PostalListing>& listings() {
    static HandleTable<PostalListing> table;
    return table;
}

// Digits of a code of 3, 5 or 7 digits with hyphens anywhere; empty when
// the text is anything else.
std::string postalDigits(const char* postal) {
    std::string digits;
    for (const char* p = postal; *p; ++p) {
        if (std::isdigit(static_cast<unsigned char>(*p)))
            digits += *p;
        else if (*p != '-')
            return {};
    }
    const std::size_t n = digits.size();
    return n == 3 || n == 5 || n == 7 ? digits : std::string();
}

CityRows& cityOf(std::vector<CityRows>& cities, std::size_t line, const AddressDictionary& data) {
    // The rows of a code come city by city: the last city is the likely one.
    // Only the two fields compared are sliced out of the line for that.
    const PostalTable& postal = data.Postal();
    const std::string_view prefecture = postal.field(line, 2), city = postal.field(line, 3);
    for (auto c = cities.rbegin(); c != cities.rend(); ++c)
        if (c->city == city && c->prefecture == prefecture)
            return *c;
    const PostalRowView row = postal.view(line);
    CityRows& c = cities.emplace_back();
    c.prefecture = prefecture;
    c.city = city;
    dicdata::Put(c.record.jis, row.jis);
    dicdata::Put(c.record.prefecture, row.prefecture);
    dicdata::Put(c.record.name, row.city);
    if (const Municipality* m = data.FindMunicipality(row.jis))
        dicdata::Put(c.record.reading, m->kana);
    return c;
}

std::vector<CityRows> citiesOf(const AddressDictionary& data, const std::string& digits) {
    std::vector<CityRows> cities;
    const PostalTable& postal = data.Postal();
    const auto [first, last] = data.PostalLines(digits);
    // A prefix spans a few dozen cities at most: moving their rows' lists
    // as the list grows would cost more than the room.
    cities.reserve(std::min<std::size_t>(last - first, 64));
    for (std::size_t line = first; line < last; ++line) {
        CityRows& c = cityOf(cities, line, data);
        const bool office = !postal.field(line, 6).empty(); // as PostalRowView::isOffice
        (office ? c.offices : c.towns).push_back(static_cast<std::uint32_t>(line));
    }
    for (CityRows& c : cities) {
        c.record.townCount =
            static_cast<std::uint16_t>(std::min<std::size_t>(c.towns.size(), UINT16_MAX));
        c.record.officeCount =
            static_cast<std::uint16_t>(std::min<std::size_t>(c.offices.size(), UINT16_MAX));
    }
    return cities;
}

// Postal lines of the open dictionaries as their town records decode. The
// records are code page 932 slots, so what comes back is not always the
// text of the file (a character outside code page 932, a text cut to its
// slot): each line is written into its record once and read back, and the
// look-ups copy what came back.
class DecodedTowns {
public:
    void append(const AddressDictionary& data, const std::vector<std::uint32_t>& lines,
                std::vector<DicTown>& out) {
        const std::lock_guard lock(mutex_);
        auto& decoded = byData_[&data];
        decoded.resize(data.Postal().size());
        out.reserve(out.size() + lines.size());
        for (std::uint32_t line : lines) {
            auto& town = decoded[line];
            if (!town)
                town = std::make_unique<const DicTown>(decode(data.Postal().view(line)));
            out.push_back(*town);
        }
    }

private:
    static DicTown decode(const PostalRowView& row) {
        DlzplstTown t{};
        dicdata::PutTown(t, row);
        return DecodedTown(t);
    }

    std::mutex mutex_;
    // An open dictionary stays open for the run, so its address stays its.
    // By line; only the lines looked up are decoded.
    std::map<const AddressDictionary*, std::vector<std::unique_ptr<const DicTown>>> byData_;
};

DecodedTowns& decodedTowns() {
    static DecodedTowns towns;
    return towns;
}

bool inRange(std::size_t size, std::int16_t start, std::int16_t count) {
    return start >= 0 && count >= 0 && static_cast<std::size_t>(start + count) <= size;
}

const CityRows* findCity(const PostalListing& l, const DlzplstCity* city) {
    if (!city)
        return nullptr;
    for (const CityRows& c : l.cities)
        if (std::memcmp(c.record.jis, city->jis, sizeof city->jis) == 0 &&
            std::memcmp(c.record.prefecture, city->prefecture, sizeof city->prefecture) == 0 &&
            std::memcmp(c.record.name, city->name, sizeof city->name) == 0)
            return &c;
    return nullptr;
}

// Towns (offices) start .. start + count - 1 of one city, with the offices'
// names when `offices` is given.
int listRows(DlHandle handle, const DlzplstCity* city, DlzplstTown* towns, DicOfficeRecord* offices,
             std::int16_t start, std::int16_t count) {
    return listings().With(handle, [&](PostalListing* l) {
        const CityRows* c = l ? findCity(*l, city) : nullptr;
        if (!c || !towns)
            return kDlBadArgument;
        const auto& rows = offices ? c->offices : c->towns;
        if (rows.empty())
            return kDlNone;
        if (!inRange(rows.size(), start, count))
            return kDlBadArgument;
        for (std::int16_t i = 0; i < count; ++i) {
            const PostalRowView r =
                l->data->Postal().view(rows[static_cast<std::size_t>(start + i)]);
            towns[i] = DlzplstTown{};
            if (i == 0) {
                dicdata::PutTown(towns[i], r);
            } else {
                // The rows of one city share its prefecture and name.
                dicdata::PutTownOnly(towns[i], r);
                std::memcpy(towns[i].prefecture, towns[0].prefecture, sizeof towns[i].prefecture);
                std::memcpy(towns[i].city, towns[0].city, sizeof towns[i].city);
            }
            if (offices) {
                offices[i] = DicOfficeRecord{};
                dicdata::PutOffice(offices[i], r);
            }
        }
        return kDlFound;
    });
}

} // namespace

extern "C" DlHandle DLZPLSTFirst(const char* postal, std::int16_t* cityCount, std::int16_t* status,
                                 const char* folder) {
    if (!status)
        return 0;
    *status = kDlBadArgument;
    if (!postal || !cityCount)
        return 0;
    *cityCount = 0;
    auto l = std::make_unique<PostalListing>();
    l->digits = postalDigits(postal);
    if (l->digits.empty()) {
        *status = kDlBadInput;
        return 0;
    }
    l->data = dicdata::Open(folder);
    if (!l->data) {
        *status = kDlNoData;
        return 0;
    }
    l->cities = citiesOf(*l->data, l->digits);
    if (l->cities.empty()) {
        *status = kDlNone;
        return 0;
    }
    *cityCount = static_cast<std::int16_t>(std::min<std::size_t>(l->cities.size(), INT16_MAX));
    *status = kDlFound;
    return listings().Add(std::move(l));
}

extern "C" int DLZPLSTCityList(DlHandle handle, DlzplstCity* cities, std::int16_t start,
                               std::int16_t count) {
    return listings().With(handle, [&](PostalListing* l) {
        if (!l || !cities || !inRange(l->cities.size(), start, count))
            return kDlBadArgument;
        for (std::int16_t i = 0; i < count; ++i)
            cities[i] = l->cities[static_cast<std::size_t>(start + i)].record;
        return kDlFound;
    });
}

extern "C" int DLZPLSTTownList(DlHandle handle, const DlzplstCity* city, DlzplstTown* towns,
                               std::int16_t start, std::int16_t count) {
    return listRows(handle, city, towns, nullptr, start, count);
}

extern "C" int DLZPLSTLgTownList(DlHandle handle, const DlzplstCity* city, DlzplstTown* towns,
                                 DicOfficeRecord* offices, std::int16_t start, std::int16_t count) {
    if (!offices)
        return kDlBadArgument;
    return listRows(handle, city, towns, offices, start, count);
}

extern "C" int DLZPLSTClose(DlHandle handle) {
    return listings().Remove(handle) ? kDlFound : kDlBadArgument;
}

extern "C" int DLZPLSTPost(DlHandle handle, char* postal8) {
    return listings().With(handle, [postal8](PostalListing* l) {
        if (!l || !postal8)
            return kDlBadArgument;
        std::memset(postal8, 0, 8);
        std::memcpy(postal8, l->digits.data(), std::min<std::size_t>(l->digits.size(), 7));
        return kDlFound;
    });
}

int DlzplstDecodedTowns(DlHandle handle, const DlzplstCity* city, std::vector<DicTown>& towns) {
    return listings().With(handle, [&](PostalListing* l) {
        const CityRows* c = l ? findCity(*l, city) : nullptr;
        if (!c)
            return kDlBadArgument;
        if (c->towns.empty())
            return kDlNone;
        decodedTowns().append(*l->data, c->towns, towns);
        return kDlFound;
    });
}

} // namespace kanata
