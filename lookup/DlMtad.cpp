#include "lookup/DlMtad.h"

#include "data/Cp932.h"

namespace kanata {

extern "C" int DLMTAdrs(const char* address, DlmtadResult* result, const char* folder) {
    if (!address || !result)
        return kDlBadArgument;
    *result = DlmtadResult{};
    const std::string text = cp932::trim(dicdata::Text(address));
    if (text.empty())
        return kDlBadInput;
    const auto data = dicdata::Open(folder);
    if (!data)
        return kDlNoData;
    const AddressCompletion c = data->Complete(text);
    if (!c.found() || !c.latitude || !c.longitude)
        return kDlNone;
    result->latitude = *c.latitude;
    result->longitude = *c.longitude;
    dicdata::Put(result->jis, c.jis);
    dicdata::Put(result->prefecture, c.prefecture);
    dicdata::Put(result->city, c.city);
    dicdata::Put(result->town, c.town);
    return kDlFound;
}

} // namespace kanata
