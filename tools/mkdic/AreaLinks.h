#pragma once
// Links the exchange areas of the geocoder data (a prefix and a place name)
// to the municipalities they serve.
#include "tools/mkdic/DicSources.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace kanata::mkdic {

// The towns of the postal data: municipality code and town name (LinkAreas
// hands LinkAreaName its names with ヶ written ケ).
using TownIndex = std::vector<std::pair<std::string, std::string>>;

// Municipality names as both the area links and the writer compare them.
bool endsWith(const std::string& s, const std::string& tail);
// "北群馬郡榛東村" -> "榛東村": the geocoder and the map data leave the district out.
std::string withoutDistrict(const std::string& name);
// "横浜市中区" -> "横浜市"; empty for anything but a designated city's ward.
std::string designatedCity(const std::string& name);

// The prefectures (two-digit codes) the numbering plan's region of a
// national prefix lies in: 045 can be Kanagawa but never Aomori.
std::set<std::string> PrefecturesOfRegion(const std::string& prefix);

// The municipality codes an exchange area name stands for: the municipality
// of that name (市, 町, 村 or 区 added, a district prefix ignored), all wards
// of a designated city of that name, or the special wards of a metropolis of
// that name; an island's name (八丈島) its municipality; a name joined from
// two or three such names (武蔵野三鷹) all of them; failing these, the name of
// a municipality merged since, as the towns of the one it joined carry it
// (水沢: 奥州市), also after an old province's name (伊予三島). Only
// municipalities of `region` count. Where they still lie in several
// prefectures, the first of `preferred` that has any decides; with none of
// them, nothing is linked.
std::vector<std::string> LinkAreaName(const std::string& name,
                                      const std::vector<Municipality>& municipalities,
                                      const TownIndex& towns, const std::set<std::string>& region,
                                      const std::vector<std::string>& preferred);

// Municipalities the areas of a prefix (and of the longer prefixes it
// begins) serve beyond those their names give:
// "prefix<TAB>prefecture<TAB>municipality,municipality,..." lines, # comments.
using ServedMunicipalities = std::map<std::string, std::vector<std::string>>; // prefix -> names
ServedMunicipalities ReadServedMunicipalities(const std::filesystem::path& file);

struct AreaLinks {
    std::map<std::string, std::vector<std::string>> jisByPrefix;
    std::vector<std::string> unlinked; // "prefix name" of the areas left without any
};

// Links every area: the name first, then what `served` adds; the
// prefectures the neighbouring prefixes (same first three, then two digits)
// were linked to decide names several prefectures of a region share.
AreaLinks LinkAreas(const std::vector<AreaPrefix>& areas,
                    const std::vector<Municipality>& municipalities, const TownIndex& towns,
                    const ServedMunicipalities& served);

} // namespace kanata::mkdic
