#include "lookup/DlMtad.h"

namespace kanata {

extern "C" int DLMTAdrs(const char* address, DlmtadResult* result, const char* folder) {
    if (!address || !result)
        return kDlBadArgument;
    *result = DlmtadResult{};
    const dicdata::AddressCall call = dicdata::CompleteAddress(address, folder);
    if (call.code != kDlFound)
        return call.code;
    const AddressCompletion& c = call.completion;
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
