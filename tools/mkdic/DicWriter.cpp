#include "tools/mkdic/DicWriter.h"

#include "data/Cp932.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <set>
#include <stdexcept>
#include <unordered_map>

namespace kanata::mkdic {
namespace {

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// "北群馬郡榛東村" -> "榛東村"; the geocoder and the map data leave the district out.
std::string withoutDistrict(const std::string& name) {
    const auto pos = name.find("郡");
    return pos == std::string::npos || pos + 3 >= name.size() ? name : name.substr(pos + 3);
}

// "横浜市中区" -> "横浜市"; empty for anything but a designated city's ward.
std::string designatedCity(const std::string& name) {
    const auto pos = name.find("市");
    if (pos == std::string::npos || pos + 3 >= name.size() || !endsWith(name, "区"))
        return {};
    return name.substr(0, pos + 3);
}

std::ofstream openOut(const std::filesystem::path& file) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
    return out;
}

long toMilliseconds(double degrees) {
    return std::lround(degrees * 3600.0 * 1000.0);
}

const Point* pointFor(const Municipality& m, const std::map<std::string, Point>& points) {
    const std::string pref = m.prefecture + "|";
    for (const std::string& name : {m.name, withoutDistrict(m.name), designatedCity(m.name)}) {
        if (name.empty())
            continue;
        if (auto it = points.find(pref + name); it != points.end())
            return &it->second;
    }
    return nullptr;
}

void writeCities(const DicSourcesRead& s, const std::filesystem::path& out, DicCounts& counts) {
    auto f = openOut(out / "city.txt");
    for (const Municipality& m : s.municipalities) {
        const Point* p = pointFor(m, s.points);
        if (!p)
            ++counts.withoutPoint;
        f << m.jis << '\t' << m.prefecture << '\t' << m.name << '\t' << m.prefectureKana << '\t'
          << m.kana << '\t' << (p ? std::to_string(toMilliseconds(p->latitude)) : "") << '\t'
          << (p ? std::to_string(toMilliseconds(p->longitude)) : "") << '\n';
    }
    counts.municipalities = s.municipalities.size();
}

void writePostal(const DicSourcesRead& s, const std::filesystem::path& out, DicCounts& counts) {
    std::unordered_map<std::string, std::string> jisByName;
    for (const Municipality& m : s.municipalities) {
        jisByName.emplace(m.prefecture + "|" + m.name, m.jis);
        jisByName.emplace(m.prefecture + "|" + withoutDistrict(m.name), m.jis);
    }
    std::vector<const PostalSourceRow*> rows;
    for (const PostalSourceRow& r : s.postal)
        rows.push_back(&r);
    std::stable_sort(rows.begin(), rows.end(),
                     [](const auto* a, const auto* b) { return a->code < b->code; });
    auto f = openOut(out / "postal.txt");
    std::set<std::string> towns;
    for (const PostalSourceRow* r : rows) {
        std::string jis;
        if (auto it = jisByName.find(r->prefecture + "|" + r->city); it != jisByName.end())
            jis = it->second;
        else
            ++counts.rowsNotJoined;
        if (r->office.empty())
            towns.insert(r->prefecture + r->city + r->town);
        else
            ++counts.offices;
        f << r->code << '\t' << jis << '\t' << r->prefecture << '\t' << r->city << '\t' << r->town
          << '\t' << r->townKana << '\t' << r->office << '\t' << r->officeAddress << '\t'
          << r->prefectureKana << '\t' << r->cityKana << '\n';
    }
    counts.rows = rows.size();
    counts.towns = towns.size();
}

// The prefecture most of the linked prefixes sharing the first three digits
// belong to; decides names such as 府中 that several prefectures have.
std::map<std::string, std::string>
prefectureByPrefixHead(const std::vector<AreaPrefix>& areas,
                       const std::vector<Municipality>& municipalities) {
    std::map<std::string, std::map<std::string, int>> votes;
    for (const AreaPrefix& a : areas) {
        const auto linked = LinkAreaName(a.name, municipalities, {});
        std::set<std::string> prefs;
        for (const auto& jis : linked)
            prefs.insert(jis.substr(0, 2));
        if (prefs.size() == 1)
            ++votes[a.prefix.substr(0, 3)][*prefs.begin()];
    }
    std::map<std::string, std::string> out;
    for (const auto& [head, v] : votes)
        out[head] = std::max_element(v.begin(), v.end(), [](const auto& x, const auto& y) {
                        return x.second < y.second;
                    })->first;
    return out;
}

void writeAreas(const DicSourcesRead& s, const std::filesystem::path& out, DicCounts& counts) {
    const auto heads = prefectureByPrefixHead(s.areas, s.municipalities);
    std::vector<AreaPrefix> areas = s.areas;
    std::sort(areas.begin(), areas.end(),
              [](const AreaPrefix& a, const AreaPrefix& b) { return a.prefix < b.prefix; });
    auto f = openOut(out / "area.txt");
    for (const AreaPrefix& a : areas) {
        const auto head = heads.find(a.prefix.substr(0, 3));
        const auto linked =
            LinkAreaName(a.name, s.municipalities, head == heads.end() ? "" : head->second);
        if (!linked.empty())
            ++counts.areasLinked;
        f << a.prefix << '\t' << a.name << '\t';
        for (std::size_t i = 0; i < linked.size(); ++i)
            f << (i ? "," : "") << linked[i];
        f << '\n';
    }
    counts.areas = areas.size();
}

// NameCandidate fields hold 12 bytes of code page 932 each.
bool fitsCandidate(const NameSourceRow& r) {
    return !r.reading.empty() && !r.kanji.empty() && cp932::byteWidth(r.reading) <= 12 &&
           cp932::byteWidth(r.kanji) <= 12;
}

std::size_t writeNames(const std::vector<NameSourceRow>& all, bool surname,
                       const std::filesystem::path& file) {
    std::map<std::pair<std::string, std::string>, int> best;
    for (const NameSourceRow& r : all) {
        if (r.surname != surname || !fitsCandidate(r))
            continue;
        auto [it, added] = best.emplace(std::make_pair(r.reading, r.kanji), r.cost);
        if (!added)
            it->second = std::min(it->second, r.cost);
    }
    struct Entry {
        std::string reading, kanji;
        int cost;
    };
    std::vector<Entry> entries;
    for (const auto& [key, cost] : best)
        entries.push_back({key.first, key.second, cost});
    // Lower cost = the more common form; it comes first within its reading.
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return std::tie(a.reading, a.cost, a.kanji) < std::tie(b.reading, b.cost, b.kanji);
    });
    auto f = openOut(file);
    for (const Entry& e : entries)
        f << e.reading << '\t' << e.kanji << '\n';
    return entries.size();
}

} // namespace

std::vector<std::string> LinkAreaName(const std::string& name,
                                      const std::vector<Municipality>& municipalities,
                                      const std::string& preferredPrefecture) {
    std::vector<std::string> found;
    for (const Municipality& m : municipalities) {
        const std::string bare = withoutDistrict(m.name);
        bool match = false;
        for (const char* suffix : {"", "市", "町", "村", "区"})
            match = match || bare == name + suffix;
        match = match || designatedCity(m.name) == name + "市";
        if (match)
            found.push_back(m.jis);
    }
    if (found.empty()) {
        for (const Municipality& m : municipalities)
            if (m.prefecture == name + "都" && endsWith(m.name, "区") &&
                designatedCity(m.name).empty())
                found.push_back(m.jis);
    }
    std::set<std::string> prefs;
    for (const auto& jis : found)
        prefs.insert(jis.substr(0, 2));
    if (prefs.size() > 1) {
        const std::string keep = prefs.count(preferredPrefecture) ? preferredPrefecture : "";
        std::erase_if(found, [&](const std::string& jis) { return jis.substr(0, 2) != keep; });
    }
    return found;
}

DicCounts WriteDictionaries(const DicSourcesRead& s, const std::filesystem::path& out) {
    std::filesystem::create_directories(out);
    DicCounts counts;
    writeCities(s, out, counts);
    writePostal(s, out, counts);
    writeAreas(s, out, counts);
    counts.surnames = writeNames(s.names, true, out / "sei.txt");
    counts.givenNames = writeNames(s.names, false, out / "mei.txt");
    return counts;
}

} // namespace kanata::mkdic
