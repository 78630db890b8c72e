#pragma once
// The exchange-area dictionary, with the call shape of the maker's Dltel
// library: the cities an exchange prefix serves and their towns in batches.
//
// Text arguments are NUL-terminated code page 932; `folder` is the
// dictionary folder. Results: kDlFound, kDlBadInput (not a national number),
// kDlNone, kDlBadArgument, kDlNoData (see DicData.h).
#include "lookup/DicData.h"

#include <cstddef>
#include <cstdint>

namespace kanata {

#pragma pack(push, 1)
struct DltelCity {
    char jis[6];             // 0: municipality code; empty for an area that names none
    char name[40];           // 6: the municipality's name (or the area's)
    std::uint16_t townCount; // 46
    char reserved[4];        // 48
};
struct DltelTown {
    char reading[2]; // 0: the head of the town's half-width katakana reading
    char postal[8];  // 2: seven digits
    char jis[6];     // 10
    char kajo[6];    // 16: KAJO code (the shipped data has none)
    char name[74];   // 22: the town's name without its parenthesised note
};
#pragma pack(pop)
static_assert(sizeof(DltelCity) == 52, "Dltel keeps its 52-byte city record");
static_assert(offsetof(DltelCity, name) == 6);
static_assert(sizeof(DltelTown) == 96, "Dltel keeps its 96-byte town record");
static_assert(offsetof(DltelTown, reading) == 0 && offsetof(DltelTown, postal) == 2 &&
              offsetof(DltelTown, name) == 22);

inline constexpr std::size_t kDltelFormattedSize = 14;
inline constexpr int kDltelCityCapacity = 20; // the least a city array must hold
inline constexpr int kDltelBatch = 20;        // towns per batch
// Batch statuses of DLTLTown2First/Next.
inline constexpr int kDltelLastBatch = 0;
inline constexpr int kDltelMoreBatches = 1;

extern "C" {
// The formatted number (13 characters and NUL) and how many cities the
// prefix serves.
int DLTLPrefix(const char* number, char* formatted14, std::int16_t* cityCount, const char* folder);
// Fills the cities of the prefix. The array holds kDltelCityCapacity records
// or the count DLTLPrefix gave, whichever is more: Tokyo's 03 alone serves 23.
int DLTLCity2(const char* number, DltelCity* cities, const char* folder);
// The first batch of the city's towns into `towns` (kDltelBatch records);
// `status` gets kDltelLastBatch, kDltelMoreBatches, kDlNone (the city has no
// towns) or an error. Returns the handle of the listing, 0 when none opened.
DlHandle DLTLTown2First(const char* number, const DltelCity* city, DltelTown* towns,
                        std::int16_t* status, const char* folder);
// The next (previous) batch; returns its status, kDlNone past the end (the
// start), kDlBadArgument for a bad handle.
int DLTLTown2Next(DlHandle handle, DltelTown* towns);
int DLTLTown2Prev(DlHandle handle, DltelTown* towns);
int DLTLTown2Close(DlHandle handle);
}

} // namespace kanata
