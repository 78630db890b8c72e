#pragma once
// The postal code dictionary, with the call shape of the maker's Dlzplst
// library: a listing opened on a postal code (3, 5 or 7 digits, hyphen
// allowed), its cities, and the towns or large business offices of a city.
//
// Text arguments are NUL-terminated code page 932; `folder` is the
// dictionary folder. Results and statuses: kDlFound, kDlBadInput, kDlNone,
// kDlBadArgument (null pointer, bad handle, range outside the list),
// kDlNoData (see DicData.h).
#include "lookup/DicData.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kanata {

struct DicTown;

#pragma pack(push, 1)
struct DlzplstCity {
    char jis[6];               // 0: municipality code (empty when the data has none)
    char prefecture[10];       // 6
    char name[40];             // 16: the municipality's name
    char reading[30];          // 56: its half-width katakana reading
    std::uint16_t townCount;   // 86: towns of the code in this city
    std::uint16_t officeCount; // 88: large business offices
};
struct DlzplstTown {
    char postal[8];      // 0: seven digits (five or three for old codes)
    char jis[6];         // 8
    char kajo[6];        // 14: KAJO code (the shipped data has none)
    char prefecture[10]; // 20
    char city[40];       // 30
    char town[100];      // 70: without its parenthesised note
    char reading[52];    // 170: the town's half-width katakana reading
};
#pragma pack(pop)
static_assert(sizeof(DlzplstCity) == 90, "Dlzplst keeps its 90-byte city record");
static_assert(offsetof(DlzplstCity, townCount) == 86 && offsetof(DlzplstCity, officeCount) == 88);
static_assert(sizeof(DlzplstTown) == 222, "Dlzplst keeps its 222-byte town record");

extern "C" {
// Opens the listing of a postal code: `status` gets kDlFound (the handle is
// open, `cityCount` cities), kDlBadInput or kDlNone (no handle).
DlHandle DLZPLSTFirst(const char* postal, std::int16_t* cityCount, std::int16_t* status,
                      const char* folder);
// Cities start .. start + count - 1 of the listing.
int DLZPLSTCityList(DlHandle handle, DlzplstCity* cities, std::int16_t start, std::int16_t count);
// Towns (offices with their town rows) start .. start + count - 1 of a city
// of the listing; kDlNone when the city has none.
int DLZPLSTTownList(DlHandle handle, const DlzplstCity* city, DlzplstTown* towns,
                    std::int16_t start, std::int16_t count);
int DLZPLSTLgTownList(DlHandle handle, const DlzplstCity* city, DlzplstTown* towns,
                      DicOfficeRecord* offices, std::int16_t start, std::int16_t count);
int DLZPLSTClose(DlHandle handle);
// The postal code digits the listing was opened with (8 bytes with NUL).
int DLZPLSTPost(DlHandle handle, char* postal8);
}

// The towns of a city of the listing as DLZPLSTTownList's records decode,
// slot by slot, without writing the records: each town is decoded once per
// run and kept so. Returns what DLZPLSTTownList returns for all of them.
int DlzplstDecodedTowns(DlHandle handle, const DlzplstCity* city, std::vector<DicTown>& towns);

} // namespace kanata
