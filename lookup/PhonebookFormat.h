#pragma once
// The files of the phonebook data (a number directory), shared by the search
// and by the mkphonebook builder. docs/phonebook-format.md tells the same
// with examples.
//
// Three files in one folder, all integers little-endian:
//
// DBT06C, the check file (64 bytes) - ties the set together:
//   0  8  magic "KNTPB06C"
//   8  4  format version (1)
//  12  4  number of entries N
//  16  8  set id (random per build; DBT06T and DBT06B carry the same)
//  24  8  size of DBT06T in bytes
//  32  8  size of DBT06B in bytes
//  40  4  CRC-32 of the whole DBT06T
//  44  4  CRC-32 of the whole DBT06B
//  48 12  zero
//  60  4  CRC-32 of bytes 0-59
//
// DBT06T, the index: a 32-byte header (magic "KNTPB06T", version, N, set id,
// 8 zero bytes), then N entries of 16 bytes sorted by key, keys unique:
//   0 12  key: the number's ASCII digits (1-11), NUL-padded
//  12  4  offset of the entry's record in DBT06B
//
// DBT06B, the records: the same 32-byte header with magic "KNTPB06B", then
// one record per entry:
//   0  2  payload length L
//   2  4  CRC-32 of the payload
//   6  L  payload: nine texts, each a length byte and that many code page
//         932 bytes - number (the key digits), postal code (digits), name,
//         name reading, prefecture and city, town, block and building,
//         address code, company code - then latitude and longitude as
//         signed 32-bit integers in 1/256 second of arc.
// Each text is at most as long as its slot in the phonebook hit.
//
// A search reads the check file, compares the headers and the real file
// sizes against it, binary-searches the index and checks the record's CRC and
// number; the whole-file CRCs are for a full check (mkphonebook --verify).
// A set is replaced by writing temporaries and renaming DBT06C last.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kanata::phonebook {

inline constexpr const char* kRecordsFile = "DBT06B";
inline constexpr const char* kCheckFile = "DBT06C";
inline constexpr const char* kIndexFile = "DBT06T";

inline constexpr std::uint32_t kFormatVersion = 1;
inline constexpr std::size_t kCheckSize = 64;
inline constexpr std::size_t kHeaderSize = 32;
inline constexpr std::size_t kIndexEntrySize = 16;
inline constexpr std::size_t kKeySize = 12;
inline constexpr std::size_t kMaxKeyDigits = 11;
inline constexpr std::size_t kRecordPrefixSize = 6;

// One directory entry. Texts are code page 932 bytes.
struct Entry {
    std::string number; // the key digits
    std::string postalCode;
    std::string name;
    std::string kana;
    std::string address1; // prefecture and city
    std::string address2; // town
    std::string address3; // block and building
    std::string addressCode;
    std::string companyCode;
    std::int32_t latitude = 0;
    std::int32_t longitude = 0;

    bool operator==(const Entry&) const = default;
};

// The longest text each field may hold (its slot in the phonebook hit).
struct FieldLimit {
    const char* name;
    std::string Entry::*field;
    std::size_t maxBytes;
};
const std::vector<FieldLimit>& fieldLimits();

// Empty when the entry can be stored, else what is wrong with it.
std::string problemWith(const Entry& entry);

struct CheckRecord {
    std::uint32_t version = kFormatVersion;
    std::uint32_t count = 0;
    std::uint64_t setId = 0;
    std::uint64_t indexSize = 0;
    std::uint64_t recordsSize = 0;
    std::uint32_t indexCrc = 0;
    std::uint32_t recordsCrc = 0;
};

struct FileHeader {
    std::uint32_t version = kFormatVersion;
    std::uint32_t count = 0;
    std::uint64_t setId = 0;
};

std::uint32_t crc32(std::string_view bytes, std::uint32_t crc = 0);

std::string encodeCheck(const CheckRecord& check);
// Empty when the magic, the version or the check file's own CRC is wrong.
std::optional<CheckRecord> decodeCheck(std::string_view bytes);

// magic: "KNTPB06T" or "KNTPB06B".
std::string encodeHeader(std::string_view magic, const FileHeader& header);
std::optional<FileHeader> decodeHeader(std::string_view magic, std::string_view bytes);
inline constexpr std::string_view kIndexMagic = "KNTPB06T";
inline constexpr std::string_view kRecordsMagic = "KNTPB06B";

// A whole record (prefix and payload) for a valid entry.
std::string encodeRecord(const Entry& entry);
// The payload of a record; empty when it is malformed.
std::optional<Entry> decodePayload(std::string_view payload);

std::string encodeIndexEntry(std::string_view key, std::uint32_t offset);

// Writes a complete set into `folder` (created if missing) from entries with
// unique keys in any order. Nothing of the old set is replaced until all
// three new files are written. Returns an empty text or what failed.
std::string writeSet(const std::filesystem::path& folder, std::vector<Entry> entries);

// Full check of a set: headers, sizes and whole-file checksums. Returns an
// empty text when the set is sound, else what is wrong.
std::string verifySet(const std::filesystem::path& folder);

} // namespace kanata::phonebook
