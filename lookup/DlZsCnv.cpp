#include "lookup/DlZsCnv.h"

#include "data/Cp932.h"

#include <algorithm>
#include <cctype>

namespace kanata {
namespace {

bool looksPostal(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) || c == '-';
    });
}

// Why an address found nothing: a postal code of the wrong length, several
// municipalities, or none.
int notFound(const AddressDictionary& data, const std::string& text) {
    if (looksPostal(text))
        return std::count_if(text.begin(), text.end(), ::isdigit) == 7 ? kDlNone : kDlBadInput;
    return data.MunicipalitiesOf(text).size() > 1 ? kDlAmbiguous : kDlNone;
}

} // namespace

extern "C" int DLZSCAdrs(const char* address, DlzscnvResult* result, const char* folder) {
    if (!address || !result)
        return kDlBadArgument;
    *result = DlzscnvResult{};
    const dicdata::AddressCall call = dicdata::CompleteAddress(address, folder);
    if (call.code != kDlFound)
        return call.code;
    const AddressCompletion& c = call.completion;
    if (!c.found())
        return notFound(*call.data, call.text);
    result->latitude = c.latitude.value_or(0);
    result->longitude = c.longitude.value_or(0);
    dicdata::Put(result->postal, c.postal);
    dicdata::Put(result->jis, c.jis);
    dicdata::Put(result->prefecture, c.prefecture);
    dicdata::Put(result->city, c.city);
    dicdata::Put(result->town, c.town);
    return kDlFound;
}

} // namespace kanata
