#pragma once
// The coordinates service, with the call shape of the maker's Dlmtad
// library: the point of an address text (or a seven-digit postal code).
// Points are those of the municipality; an address whose municipality has
// none is not found.
#include "lookup/DicData.h"

#include <cstddef>
#include <cstdint>

namespace kanata {

#pragma pack(push, 1)
struct DlmtadResult {
    std::int32_t latitude;  // 0: milliseconds of arc
    std::int32_t longitude; // 4
    char jis[6];            // 8: the municipality the point belongs to
    char kajo[6];           // 14: KAJO code (the shipped data has none)
    char prefecture[10];    // 20
    char city[40];          // 30
    char town[100];         // 70: the town the text names, when it names one
    char reserved[66];      // 170
};
#pragma pack(pop)
static_assert(sizeof(DlmtadResult) == 236, "Dlmtad keeps its 236-byte result record");

extern "C" {
// kDlFound with the point; kDlBadInput for an empty address, kDlNone when
// there is no point; kDlBadArgument, kDlNoData (see DicData.h).
int DLMTAdrs(const char* address, DlmtadResult* result, const char* folder);
}

} // namespace kanata
