#pragma once
// The record handed to the optional extension library with every call: 1024
// bytes, code page 932 texts NUL-terminated in fixed slots, 32-bit integers
// and day-count doubles, little-endian. Extensions built for this program
// read it at these offsets, so the layout never changes.
#include "data/CallRecord.h"

#include <cstddef>
#include <cstdint>

namespace kanata {

struct ExtensionRecord {
    char SchTel0[12];
    char SchTel1[12];
    char Tel0[14];
    char Tel1[14];
    std::int32_t TelIndex;
    char Pos[9];
    char Tdfkn[9];
    char Adrs1[33];
    char Adrs2[101];
    char Reserved[52]; // always zero
    char JisCode[6];
    char CorpKana[81];
    char CorpKanji[113];
    char NameKana[21];
    char NameKanji[23];
    std::int32_t PrivCorp;
    char Memo1[101];
    char Memo3[101];
    char Memo2[101];
    char Rank[21];
    std::int32_t Latitude;
    std::int32_t Longitude;
    double RecvDateTime; // day count since 1899-12-30, local time
    double PrevRecvDateTime;
    std::int32_t Division;
    char SelItem1[31];
    char SelItem2[31];
    char SelItem3[31];
    char EMail[71];
};

static_assert(sizeof(ExtensionRecord) == 1024);
static_assert(offsetof(ExtensionRecord, SchTel0) == 0);
static_assert(offsetof(ExtensionRecord, SchTel1) == 12);
static_assert(offsetof(ExtensionRecord, Tel0) == 24);
static_assert(offsetof(ExtensionRecord, Tel1) == 38);
static_assert(offsetof(ExtensionRecord, TelIndex) == 52);
static_assert(offsetof(ExtensionRecord, Pos) == 56);
static_assert(offsetof(ExtensionRecord, Tdfkn) == 65);
static_assert(offsetof(ExtensionRecord, Adrs1) == 74);
static_assert(offsetof(ExtensionRecord, Adrs2) == 107);
static_assert(offsetof(ExtensionRecord, Reserved) == 208);
static_assert(offsetof(ExtensionRecord, JisCode) == 260);
static_assert(offsetof(ExtensionRecord, CorpKana) == 266);
static_assert(offsetof(ExtensionRecord, CorpKanji) == 347);
static_assert(offsetof(ExtensionRecord, NameKana) == 460);
static_assert(offsetof(ExtensionRecord, NameKanji) == 481);
static_assert(offsetof(ExtensionRecord, PrivCorp) == 504);
static_assert(offsetof(ExtensionRecord, Memo1) == 508);
static_assert(offsetof(ExtensionRecord, Memo3) == 609);
static_assert(offsetof(ExtensionRecord, Memo2) == 710);
static_assert(offsetof(ExtensionRecord, Rank) == 811);
static_assert(offsetof(ExtensionRecord, Latitude) == 832);
static_assert(offsetof(ExtensionRecord, Longitude) == 836);
static_assert(offsetof(ExtensionRecord, RecvDateTime) == 840);
static_assert(offsetof(ExtensionRecord, PrevRecvDateTime) == 848);
static_assert(offsetof(ExtensionRecord, Division) == 856);
static_assert(offsetof(ExtensionRecord, SelItem1) == 860);
static_assert(offsetof(ExtensionRecord, SelItem2) == 891);
static_assert(offsetof(ExtensionRecord, SelItem3) == 922);
static_assert(offsetof(ExtensionRecord, EMail) == 953);

// A zeroed record holding the call's fields. Every text is converted to code
// page 932, cut to its field's width (never splitting a character) and
// copied NUL-terminated to its slot, field after field (Memo2 before
// Memo3). The slots of the company and person names and of the selection
// items are shorter than those fields: a longer text runs on into the
// following slot, and the field copied there afterwards overwrites what it
// covers, as the extensions written for this record expect.
ExtensionRecord MakeExtensionRecord(const CallRecord& call);

} // namespace kanata
