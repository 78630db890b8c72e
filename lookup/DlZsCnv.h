#pragma once
// The batch address conversion, with the call shape of the maker's DLZsCnv
// library: completes the postal code, the codes and the point of an address
// text (or of a seven-digit postal code) for the import.
#include "lookup/DicData.h"

#include <cstddef>
#include <cstdint>

namespace kanata {

#pragma pack(push, 1)
struct DlzscnvResult {
    std::int32_t latitude;  // 0: milliseconds of arc, 0 without a point
    std::int32_t longitude; // 4
    char postal[8];         // 8: seven digits; empty when the town was not found
    char jis[6];            // 16
    char kajo[7];           // 22: KAJO code (the shipped data has none)
    char prefecture[10];    // 29
    char city[40];          // 39
    char town[100];         // 79
    char reserved[123];     // 179
};
#pragma pack(pop)
static_assert(sizeof(DlzscnvResult) == 302, "DLZsCnv keeps its 302-byte result record");

extern "C" {
// kDlFound: the municipality (and, when the text names one, the town) was
// found; kDlAmbiguous: the text fits several municipalities; kDlBadInput:
// empty, or a postal code without seven digits; kDlNone; kDlBadArgument,
// kDlNoData (see DicData.h).
int DLZSCAdrs(const char* address, DlzscnvResult* result, const char* folder);
}

} // namespace kanata
