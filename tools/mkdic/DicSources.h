#pragma once
// Readers of the packaged sources the dictionary folder is built from. Each
// returns plain rows; DicWriter joins them and writes Dic/.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace kanata::mkdic {

// One row of the postal data: a town, or a large business office that has a
// code of its own (officeName not empty). Readings are half-width katakana.
struct PostalSourceRow {
    std::string code; // seven digits
    std::string prefecture, city, town, office, officeAddress;
    std::string prefectureKana, cityKana, townKana;
};

struct Municipality {
    std::string jis; // five digits
    std::string prefecture, name, prefectureKana, kana;
};

struct Point {
    double latitude = 0, longitude = 0;
};

// Prefix of the national number (with its leading 0) and the exchange area.
struct AreaPrefix {
    std::string prefix;
    std::string name;
};

struct NameSourceRow {
    bool surname = false;
    std::string kanji, reading; // reading: half-width katakana
    int cost = kNoCost;         // the IPA dictionary's: lower is more common
    int rank = kNoRank;         // place in a reading's list ordered by use, 0 first
    bool ranksOnly = false;     // a name of either kind: orders a form, adds none
    static constexpr int kNoCost = 1 << 30;
    static constexpr int kNoRank = 1 << 30;
};

// The folder of per-prefix JSONP files ("json/100.json", ...).
std::vector<PostalSourceRow> ReadJpostalFolder(const std::filesystem::path& folder);
// The "master" folder with pref.json and city.json.
std::vector<Municipality> ReadMunicipalities(const std::filesystem::path& folder);
// The list of municipality points, keyed "prefecture|city".
std::map<std::string, Point> ReadPoints(const std::filesystem::path& file);
// Either a text file of "prefix|name" lines (national prefix without the
// leading 0, as the geocoder's own data writes it after the country code), or
// the system's geocoder data when `file` is empty.
std::vector<AreaPrefix> ReadAreaPrefixes(const std::filesystem::path& file);
// Noun.name.csv in EUC-JP.
std::vector<NameSourceRow> ReadNames(const std::filesystem::path& file);
// An SKK dictionary of personal names in EUC-JP (SKK-JISYO.jinmei): one
// reading a line with its forms in order of use, annotated 姓, 名 or 人名
// (either). Forms of either kind come back as ranksOnly rows of both kinds.
std::vector<NameSourceRow> ReadSkkNames(const std::filesystem::path& file);

} // namespace kanata::mkdic
