#pragma once
// One entry of the phonebook data as the search hands it over. The layout is
// the call interface of the phonebook-data service and stays byte for byte
// as callers have always seen it: fixed code page 932 character slots,
// NUL-terminated unless full, then three little 32-bit integers.
#include <cstddef>
#include <cstdint>

namespace kanata {

struct PhonebookHit {
    char Tel[14];           // the number (digits as the directory holds it)
    char Pos[8];            // postal code, digits
    char NameKanji[114];    // company or person
    char NameKana[62];      // reading of the name
    char Address1[40];      // prefecture and city
    char Address2[38];      // town
    char Address3[118];     // block and building
    char Unused[90];        //
    char AddressCode[12];   // 5 characters municipality code, then 6 of town code
    char CompanyCode[4];    // empty for a private person
    std::int32_t Latitude;  // 1/256 second of arc
    std::int32_t Longitude; // 1/256 second of arc
};

static_assert(sizeof(PhonebookHit) == 508);
static_assert(offsetof(PhonebookHit, Tel) == 0);
static_assert(offsetof(PhonebookHit, Pos) == 14);
static_assert(offsetof(PhonebookHit, NameKanji) == 22);
static_assert(offsetof(PhonebookHit, NameKana) == 136);
static_assert(offsetof(PhonebookHit, Address1) == 198);
static_assert(offsetof(PhonebookHit, Address2) == 238);
static_assert(offsetof(PhonebookHit, Address3) == 276);
static_assert(offsetof(PhonebookHit, Unused) == 394);
static_assert(offsetof(PhonebookHit, AddressCode) == 484);
static_assert(offsetof(PhonebookHit, CompanyCode) == 496);
static_assert(offsetof(PhonebookHit, Latitude) == 500);
static_assert(offsetof(PhonebookHit, Longitude) == 504);

} // namespace kanata
