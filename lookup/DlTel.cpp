#include "lookup/DlTel.h"

#include "data/HyphenShapeCache.h"
#include "data/Hyphenation.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

namespace kanata {
namespace {

struct TownListing {
    std::shared_ptr<const AddressDictionary> data; // kept open while listing
    std::vector<PostalRow> towns;
    std::size_t batchStart = 0;
};

HandleTable<TownListing>& listings() {
    static HandleTable<TownListing> table;
    return table;
}

// The digits of a number typed with or without hyphens; empty when anything
// else is in it.
std::string digitsOf(const char* number) {
    std::string digits;
    for (const char* p = number; *p; ++p) {
        if (std::isdigit(static_cast<unsigned char>(*p)))
            digits += *p;
        else if (*p != '-')
            return {};
    }
    return digits;
}

struct Prefix {
    int result = kDlBadInput;
    std::vector<DltelCity> cities;
};

DltelCity cityRecord(const std::string& jis, const std::string& name, std::size_t towns) {
    DltelCity c{};
    dicdata::Put(c.jis, jis);
    dicdata::Put(c.name, name);
    c.townCount = static_cast<std::uint16_t>(std::min<std::size_t>(towns, UINT16_MAX));
    return c;
}

Prefix citiesOf(const AddressDictionary& data, const std::string& digits) {
    Prefix p;
    if (digits.size() < 2 || digits[0] != '0')
        return p;
    const ExchangeArea* area = data.AreaOf(digits);
    p.result = area ? kDlFound : kDlNone;
    if (!area)
        return p;
    for (const std::string& jis : area->jis)
        if (const Municipality* m = data.FindMunicipality(jis))
            p.cities.push_back(cityRecord(m->jis, m->name, data.CountOfMunicipality(jis, false)));
    if (p.cities.empty())
        p.cities.push_back(cityRecord("", area->name, 0));
    return p;
}

int hyphenated(const std::string& digits, std::string& out) {
    char buffer[kHyphenBufferSize] = {};
    const SystemTime now = CurrentUtcSystemTime();
    const int result = GetHyphen(digits.c_str(), buffer, "", &now);
    out = buffer;
    return result;
}

// The numbering plan's work is most of a prefix look-up, and its answer
// depends on the leading digits only: the service keeps each shape, as the
// library kept its tables, for every caller of the run.
HyphenShapeCache& shapes() {
    static HyphenShapeCache cache(&hyphenated);
    return cache;
}

std::string formatted(const std::string& digits) {
    std::string out;
    if (shapes().hyphenate(digits, out) == kHyphenDone && !out.empty())
        return out;
    return digits.substr(0, kDltelFormattedSize - 1);
}

int fillBatch(TownListing& l, DltelTown* towns) {
    std::memset(towns, 0, sizeof(DltelTown) * kDltelBatch);
    const std::size_t end = std::min(l.towns.size(), l.batchStart + kDltelBatch);
    for (std::size_t i = l.batchStart; i < end; ++i) {
        const PostalRow& r = l.towns[i];
        DltelTown& t = towns[i - l.batchStart];
        dicdata::Put(t.reading, r.townKana);
        dicdata::Put(t.postal, r.postal);
        dicdata::Put(t.jis, r.jis);
        dicdata::Put(t.name, TownBaseName(r.town));
    }
    return end == l.towns.size() ? kDltelLastBatch : kDltelMoreBatches;
}

} // namespace

extern "C" int DLTLPrefix(const char* number, char* formatted14, std::int16_t* cityCount,
                          const char* folder) {
    if (!number || !formatted14 || !cityCount)
        return kDlBadArgument;
    *cityCount = 0;
    std::memset(formatted14, 0, kDltelFormattedSize);
    const std::string digits = digitsOf(number);
    if (digits.empty())
        return kDlBadInput;
    const auto data = dicdata::Open(folder);
    if (!data)
        return kDlNoData;
    const Prefix p = citiesOf(*data, digits);
    const std::string shown = formatted(digits);
    std::memcpy(formatted14, shown.data(), std::min(shown.size(), kDltelFormattedSize - 1));
    *cityCount = static_cast<std::int16_t>(p.cities.size());
    return p.result;
}

extern "C" int DLTLCity2(const char* number, DltelCity* cities, const char* folder) {
    if (!number || !cities)
        return kDlBadArgument;
    const auto data = dicdata::Open(folder);
    if (!data)
        return kDlNoData;
    const Prefix p = citiesOf(*data, digitsOf(number));
    std::copy(p.cities.begin(), p.cities.end(), cities);
    return p.result;
}

extern "C" DlHandle DLTLTown2First(const char* number, const DltelCity* city, DltelTown* towns,
                                   std::int16_t* status, const char* folder) {
    if (!status)
        return 0;
    *status = kDlBadArgument;
    if (!number || !city || !towns)
        return 0;
    auto l = std::make_unique<TownListing>();
    l->data = dicdata::Open(folder);
    if (!l->data) {
        *status = kDlNoData;
        return 0;
    }
    const std::string jis = dicdata::Get(city->jis);
    if (!jis.empty())
        l->towns = l->data->RowsOfMunicipality(jis, false);
    if (l->towns.empty()) {
        *status = kDlNone;
        return 0;
    }
    *status = static_cast<std::int16_t>(fillBatch(*l, towns));
    return listings().Add(std::move(l));
}

extern "C" int DLTLTown2Next(DlHandle handle, DltelTown* towns) {
    return listings().With(handle, [towns](TownListing* l) {
        if (!l || !towns)
            return kDlBadArgument;
        if (l->batchStart + kDltelBatch >= l->towns.size())
            return kDlNone;
        l->batchStart += kDltelBatch;
        return fillBatch(*l, towns);
    });
}

extern "C" int DLTLTown2Prev(DlHandle handle, DltelTown* towns) {
    return listings().With(handle, [towns](TownListing* l) {
        if (!l || !towns)
            return kDlBadArgument;
        if (l->batchStart == 0)
            return kDlNone;
        l->batchStart -= kDltelBatch;
        return fillBatch(*l, towns);
    });
}

extern "C" int DLTLTown2Close(DlHandle handle) {
    return listings().Remove(handle) ? kDlFound : kDlBadArgument;
}

} // namespace kanata
