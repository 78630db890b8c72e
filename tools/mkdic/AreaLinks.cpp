#include "tools/mkdic/AreaLinks.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace kanata::mkdic {

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::string withoutDistrict(const std::string& name) {
    const auto pos = name.find("郡");
    return pos == std::string::npos || pos + 3 >= name.size() ? name : name.substr(pos + 3);
}

std::string designatedCity(const std::string& name) {
    const auto pos = name.find("市");
    if (pos == std::string::npos || pos + 3 >= name.size() || !endsWith(name, "区"))
        return {};
    return name.substr(0, pos + 3);
}

namespace {

std::string prefectureOf(const std::string& jis) {
    return jis.substr(0, 2);
}

std::size_t charLength(const std::string& s, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(s[pos]);
    return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

// 鰺ケ沢 and 鰺ヶ沢 are one name.
std::string spelling(std::string s) {
    for (std::size_t at; (at = s.find("ヶ")) != std::string::npos;)
        s.replace(at, std::string("ヶ").size(), "ケ");
    return s;
}

// "三宅島三宅村" -> "三宅村": the island the municipality lies on comes first.
std::string withoutIsland(const std::string& name) {
    const auto pos = name.find("島");
    if (pos == std::string::npos || pos == 0)
        return name;
    const std::string rest = name.substr(pos + 3);
    return rest.size() >= 6 && (endsWith(rest, "町") || endsWith(rest, "村")) ? rest : name;
}

// The municipalities of `region` that the name itself stands for.
std::vector<std::string> byName(const std::string& rawName, const std::vector<Municipality>& all,
                                const std::set<std::string>& region) {
    const std::string name = spelling(rawName);
    std::vector<std::string> found;
    for (const Municipality& m : all) {
        if (!region.count(prefectureOf(m.jis)))
            continue;
        const std::string full = spelling(m.name);
        const std::string bare = withoutDistrict(full);
        const std::string island = withoutIsland(bare);
        const std::string city = designatedCity(full);
        // 浦和: さいたま市浦和区, a ward named after the city it once was.
        const bool ward = !city.empty() && full == city + name + "区";
        bool match = city == name + "市" || ward ||
                     (island != bare && bare.rfind(name, 0) == 0 && endsWith(name, "島"));
        for (const char* suffix : {"", "市", "町", "村", "区"})
            match = match || bare == name + suffix || island == name + suffix;
        if (match)
            found.push_back(m.jis);
    }
    if (found.empty())
        for (const Municipality& m : all)
            if (region.count(prefectureOf(m.jis)) && m.prefecture == name + "都" &&
                endsWith(m.name, "区") && designatedCity(m.name).empty())
                found.push_back(m.jis);
    return found;
}

// Where the name is an earlier municipality's, merged since, the towns of
// the municipality it joined carry it: 水沢 in 奥州市 (水沢大手町, ...). The
// municipality with the most towns of that name.
std::vector<std::string> byTownNames(const std::string& rawName, const TownIndex& towns,
                                     const std::set<std::string>& region) {
    const std::string name = spelling(rawName);
    if (name.size() < 6)
        return {};
    std::map<std::string, int> count;
    for (const auto& [jis, town] : towns)
        if (region.count(prefectureOf(jis)) && town.rfind(name, 0) == 0)
            ++count[jis];
    std::vector<std::string> found;
    for (const auto& [jis, n] : count)
        found.push_back(jis);
    std::stable_sort(found.begin(), found.end(),
                     [&](const auto& a, const auto& b) { return count[a] > count[b]; });
    return found;
}

std::vector<std::string> bestByTownNames(const std::string& name, const TownIndex& towns,
                                         const std::set<std::string>& region) {
    std::vector<std::string> found = byTownNames(name, towns, region);
    if (found.size() > 1)
        found.resize(1);
    return found;
}

// 武蔵野三鷹 -> 武蔵野 and 三鷹: every part must name municipalities, or
// with `towns` given, the municipalities whose towns carry it (修善寺大仁).
std::vector<std::string> byJoinedNames(const std::string& name,
                                       const std::vector<Municipality>& all,
                                       const std::set<std::string>& region, int parts,
                                       const TownIndex* towns = nullptr) {
    if (parts == 0 || name.empty())
        return {};
    for (std::size_t cut = charLength(name, 0); cut < name.size(); cut += charLength(name, cut)) {
        if (cut < 6) // one character names nothing reliably
            continue;
        std::vector<std::string> head = byName(name.substr(0, cut), all, region);
        if (head.empty() && towns)
            head = bestByTownNames(name.substr(0, cut), *towns, region);
        if (head.empty())
            continue;
        const std::string tail = name.substr(cut);
        if (tail.size() < 6)
            break;
        std::vector<std::string> rest = byName(tail, all, region);
        if (rest.empty() && towns)
            rest = bestByTownNames(tail, *towns, region);
        if (rest.empty())
            rest = byJoinedNames(tail, all, region, parts - 1, towns);
        if (rest.empty())
            continue;
        head.insert(head.end(), rest.begin(), rest.end());
        return head;
    }
    return {};
}

} // namespace

std::set<std::string> PrefecturesOfRegion(const std::string& prefix) {
    // The regions of the numbering plan by the digit after the leading 0; the
    // areas along a region's edge reach into the neighbouring prefectures.
    static const std::map<char, std::set<std::string>> kRegions{
        {'1', {"01", "02", "03", "05"}},
        {'2', {"03", "04", "05", "06", "07", "08", "09", "10", "15", "20"}},
        {'3', {"13"}},
        {'4', {"11", "12", "13", "14"}},
        {'5', {"19", "20", "21", "22", "23", "24"}},
        {'6', {"27", "28"}},
        {'7', {"16", "17", "18", "24", "25", "26", "27", "28", "29", "30"}},
        {'8', {"31", "32", "33", "34", "35", "36", "37", "38", "39"}},
        {'9', {"40", "41", "42", "43", "44", "45", "46", "47"}},
    };
    if (prefix.size() < 2)
        return {};
    const auto it = kRegions.find(prefix[1]);
    return it == kRegions.end() ? std::set<std::string>{} : it->second;
}

std::vector<std::string> LinkAreaName(const std::string& name,
                                      const std::vector<Municipality>& municipalities,
                                      const TownIndex& towns, const std::set<std::string>& region,
                                      const std::vector<std::string>& preferred) {
    std::vector<std::string> found = byName(name, municipalities, region);
    if (found.empty() && endsWith(name, "島"))
        found =
            byName(name.substr(0, name.size() - std::string("島").size()), municipalities, region);
    if (found.empty())
        found = byJoinedNames(name, municipalities, region, 3);
    bool oneOnly = false; // a town name: only the municipality it fits best
    if (found.empty()) {
        found = byTownNames(name, towns, region);
        oneOnly = true;
    }
    if (found.empty())
        found = byJoinedNames(name, municipalities, region, 3, &towns);
    // An old province's or the prefecture's name before the place: 伊予三島,
    // 土佐中村, 岡山瀬戸.
    if (found.empty() && name.size() >= 12) {
        const std::string place = name.substr(6);
        found = byName(place, municipalities, region);
        if (found.empty()) // 沖縄宮古: 宮古島市
            found = byName(place + "島", municipalities, region);
        oneOnly = found.empty();
        if (found.empty())
            found = byTownNames(place, towns, region);
    }
    std::set<std::string> prefs;
    for (const auto& jis : found)
        prefs.insert(prefectureOf(jis));
    if (prefs.size() > 1) {
        const auto keep = std::find_if(preferred.begin(), preferred.end(),
                                       [&](const std::string& p) { return prefs.count(p) > 0; });
        const std::string chosen = keep == preferred.end() ? "" : *keep;
        std::erase_if(found, [&](const std::string& jis) { return prefectureOf(jis) != chosen; });
    }
    if (oneOnly && found.size() > 1)
        found.resize(1);
    return found;
}

ServedMunicipalities ReadServedMunicipalities(const std::filesystem::path& file) {
    std::ifstream in(file);
    if (!in)
        throw std::runtime_error("cannot read " + file.string());
    ServedMunicipalities out;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string prefix, prefecture, names, name;
        if (!std::getline(fields, prefix, '\t') || !std::getline(fields, prefecture, '\t') ||
            !std::getline(fields, names))
            throw std::runtime_error(file.string() + ": not prefix, prefecture, names: " + line);
        std::istringstream list(names);
        while (std::getline(list, name, ','))
            out[prefix].push_back(prefecture + "|" + name);
    }
    return out;
}

namespace {

using Votes = std::map<std::string, std::map<std::string, int>>; // head -> prefecture -> count

// The prefectures of the neighbours of `prefix`, the most frequent first:
// those sharing three digits before those sharing two.
std::vector<std::string> preferredFor(const std::string& prefix, const Votes& votes) {
    std::vector<std::string> out;
    for (std::size_t digits : {3u, 2u}) {
        const auto v = votes.find(prefix.substr(0, digits));
        if (v == votes.end())
            continue;
        std::vector<std::pair<std::string, int>> ranked(v->second.begin(), v->second.end());
        std::stable_sort(ranked.begin(), ranked.end(),
                         [](const auto& a, const auto& b) { return a.second > b.second; });
        for (const auto& [pref, count] : ranked)
            out.push_back(pref);
    }
    return out;
}

} // namespace

AreaLinks LinkAreas(const std::vector<AreaPrefix>& areas,
                    const std::vector<Municipality>& municipalities, const TownIndex& towns,
                    const ServedMunicipalities& served) {
    TownIndex spelledTowns;
    spelledTowns.reserve(towns.size());
    for (const auto& [jis, town] : towns)
        spelledTowns.emplace_back(jis, spelling(town));
    Votes votes;
    for (const AreaPrefix& a : areas) {
        std::set<std::string> prefs;
        for (const auto& jis :
             LinkAreaName(a.name, municipalities, spelledTowns, PrefecturesOfRegion(a.prefix), {}))
            prefs.insert(prefectureOf(jis));
        if (prefs.size() == 1)
            for (std::size_t digits : {3u, 2u})
                ++votes[a.prefix.substr(0, digits)][*prefs.begin()];
    }
    std::map<std::string, std::string> jisByName;
    for (const Municipality& m : municipalities)
        jisByName.emplace(m.prefecture + "|" + m.name, m.jis);
    AreaLinks links;
    for (const AreaPrefix& a : areas) {
        std::vector<std::string> jis =
            LinkAreaName(a.name, municipalities, spelledTowns, PrefecturesOfRegion(a.prefix),
                         preferredFor(a.prefix, votes));
        for (const auto& [servedPrefix, keys] : served) {
            if (a.prefix.rfind(servedPrefix, 0) != 0)
                continue;
            for (const std::string& key : keys) {
                const auto m = jisByName.find(key);
                if (m == jisByName.end())
                    throw std::runtime_error("no municipality " + key + " for " + a.prefix);
                if (std::find(jis.begin(), jis.end(), m->second) == jis.end())
                    jis.push_back(m->second);
            }
        }
        if (jis.empty())
            links.unlinked.push_back(a.prefix + " " + a.name);
        links.jisByPrefix[a.prefix] = std::move(jis);
    }
    return links;
}

} // namespace kanata::mkdic
