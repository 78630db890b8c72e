#pragma once
// The postal, address and exchange-area data of the dictionary folder:
// city.txt (municipalities with their points), postal.txt (towns and large
// business offices by postal code) and area.txt (exchange areas by number
// prefix). Lookups use the files' sort order and an index by municipality
// built when the folder is opened; nothing scans all rows per query.
#include "lookup/PostalTable.h"
#include "lookup/TabFile.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kanata {

struct Municipality {
    std::string jis; // five digits
    std::string prefecture, name, prefectureKana, kana;
    std::optional<std::int32_t> latitude, longitude; // milliseconds of arc
};

struct ExchangeArea {
    std::string prefix; // national, with its leading 0
    std::string name;
    std::vector<std::string> jis; // empty: a name without towns
};

// What the dictionary could complete of an address or postal code; empty
// fields were not found.
struct AddressCompletion {
    std::string postal, prefecture, city, town, jis;
    std::optional<std::int32_t> latitude, longitude;
    bool found() const { return !prefecture.empty(); }
};

class AddressDictionary {
public:
    // Throws std::runtime_error naming the file that cannot be read.
    explicit AddressDictionary(const std::filesystem::path& dicFolder);

    // Rows whose postal code starts with `digits` (at most eight), in code
    // order.
    std::vector<PostalRow> ByPostalPrefix(std::string_view digits) const;
    // The same as lines of Postal().
    std::pair<std::size_t, std::size_t> PostalLines(std::string_view digits) const {
        return postal_.prefixRange(digits);
    }
    const PostalTable& Postal() const { return postal_; }
    const Municipality* FindMunicipality(std::string_view jis) const;
    // The towns (or offices) of one municipality, in code order.
    std::vector<PostalRow> RowsOfMunicipality(std::string_view jis, bool offices) const;
    // How many rows RowsOfMunicipality would give, without building them.
    std::size_t CountOfMunicipality(std::string_view jis, bool offices) const;
    // The exchange area of a national number (digits, leading 0): longest
    // prefix match; nullptr when none.
    const ExchangeArea* AreaOf(std::string_view digits) const;

    // The municipalities an address text names (prefecture optional, a
    // partly typed municipality name allowed), with what follows the
    // municipality name in the text for each, as its TownKey. Numerals and
    // the spellings of ヶ are compared in their AddressKey form.
    struct AddressMatch {
        const Municipality* municipality;
        std::string rest;
    };
    std::vector<AddressMatch> MunicipalitiesOf(std::string_view address) const;
    // The towns of a municipality that fit the text after its name (all of
    // them when it is empty); offices when `offices` is set.
    std::vector<PostalRow> TownsFor(const AddressMatch& match, bool offices) const;

    // Fills postal code, prefecture, city, town, JIS code and coordinates from
    // a postal code (7 digits, hyphen allowed) or an address text.
    AddressCompletion Complete(std::string_view postalOrAddress) const;

private:
    struct MunicipalityKeys {
        std::string prefecture, name, bare; // bare: without the district
        std::string shortPrefecture;        // 東京 of 東京都; empty for 北海道
    };

    std::optional<PostalRow> townOf(const AddressMatch& match) const;

    TabFile cities_;
    PostalTable postal_;
    std::vector<Municipality> municipalities_;
    std::vector<std::uint64_t> municipalityKeys_; // packed JIS codes, parallel
    std::vector<MunicipalityKeys> keys_;          // AddressKey forms, parallel to municipalities_
    std::vector<ExchangeArea> areas_;             // sorted by prefix
    std::vector<std::uint64_t> areaKeys_;         // packed prefixes, parallel to areas_
};

// A town name as the postal data writes it, without its parenthesised note:
// "大通西（１～１９丁目）" -> "大通西".
std::string TownBaseName(std::string_view town);
// The same as a slice of `town`.
std::string_view TownBaseView(std::string_view town);

} // namespace kanata
