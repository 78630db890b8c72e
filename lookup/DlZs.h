#pragma once
// The address dictionary, with the call shape of the maker's Dlzs library:
// the municipalities an address text names, and the towns or large business
// offices of one of them that fit the rest of the text.
//
// Text arguments are NUL-terminated code page 932; `folder` is the
// dictionary folder. Results: kDlFound, kDlBadInput (an empty address),
// kDlNone, kDlBadArgument (null pointer, a count beyond what was counted, a
// city the address does not name), kDlNoData (see DicData.h).
#include "lookup/DicData.h"

#include <cstddef>
#include <cstdint>

namespace kanata {

#pragma pack(push, 1)
struct DlzsCity {
    char jis[6];         // 0: municipality code
    char prefecture[10]; // 6
    char name[40];       // 16: the municipality's name
    char reading[24];    // 56: its half-width katakana reading
};
struct DlzsTown {
    char postal[8];      // 0: seven digits
    char jis[6];         // 8
    char kajo[6];        // 14: KAJO code (the shipped data has none)
    char prefecture[10]; // 20
    char city[40];       // 30
    char town[100];      // 70: without its parenthesised note
    char reading[52];    // 170: the town's half-width katakana reading
    char reserved[2];    // 222
};
#pragma pack(pop)
static_assert(sizeof(DlzsCity) == 80, "Dlzs keeps its 80-byte city record");
static_assert(sizeof(DlzsTown) == 224, "Dlzs keeps its 224-byte town record");

extern "C" {
int DLZsJisCount(const char* address, std::int32_t* count, const char* folder);
// The first `count` municipalities (at most what DLZsJisCount counted).
int DLZsJisList(const char* address, DlzsCity* cities, std::int32_t count, const char* folder);
int DLZsTownCount(const char* address, const DlzsCity* city, std::int32_t* count,
                  const char* folder);
int DLZsTownList(const char* address, const DlzsCity* city, DlzsTown* towns, std::int32_t count,
                 const char* folder);
int DLZsLargeCount(const char* address, const DlzsCity* city, std::int32_t* count,
                   const char* folder);
int DLZsLargeList(const char* address, const DlzsCity* city, DlzsTown* towns,
                  DicOfficeRecord* offices, std::int32_t count, const char* folder);
}

} // namespace kanata
