#include "tools/mkdic/DicWriter.h"

#include "data/Cp932.h"
#include "tools/mkdic/AreaLinks.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <set>
#include <stdexcept>
#include <unordered_map>

namespace kanata::mkdic {
namespace {

const std::string& nameOf(const std::vector<AreaPrefix>& areas, const std::string& prefix) {
    return std::find_if(areas.begin(), areas.end(),
                        [&](const AreaPrefix& a) { return a.prefix == prefix; })
        ->name;
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

void writeAreas(const DicSourcesRead& s, const std::filesystem::path& out, DicCounts& counts) {
    std::unordered_map<std::string, std::string> jisByName;
    for (const Municipality& m : s.municipalities)
        jisByName.emplace(m.prefecture + "|" + m.name, m.jis);
    TownIndex towns;
    for (const PostalSourceRow& r : s.postal)
        if (const auto it = jisByName.find(r.prefecture + "|" + r.city);
            it != jisByName.end() && r.office.empty())
            towns.emplace_back(it->second, r.town);
    AreaLinks links = LinkAreas(s.areas, s.municipalities, towns, s.served);
    auto f = openOut(out / "area.txt");
    for (const auto& [prefix, jis] : links.jisByPrefix) {
        f << prefix << '\t' << nameOf(s.areas, prefix) << '\t';
        for (std::size_t i = 0; i < jis.size(); ++i)
            f << (i ? "," : "") << jis[i];
        f << '\n';
    }
    counts.areas = links.jisByPrefix.size();
    counts.areasLinked = counts.areas - links.unlinked.size();
    counts.unlinkedAreas = std::move(links.unlinked);
}

// NameCandidate fields hold 12 bytes of code page 932 each.
bool fitsCandidate(const NameSourceRow& r) {
    return !r.reading.empty() && !r.kanji.empty() && cp932::byteWidth(r.reading) <= 12 &&
           cp932::byteWidth(r.kanji) <= 12;
}

// The popup offers kanji forms; a form of kana alone (やまだ) is the reading
// again.
bool hasKanji(const std::string& form) {
    for (const QChar c : QString::fromStdString(form)) {
        const char16_t u = c.unicode();
        if ((u >= 0x4E00 && u <= 0x9FFF) || (u >= 0x3400 && u <= 0x4DBF) ||
            (u >= 0xF900 && u <= 0xFAFF) || u == 0x3005 || c.isSurrogate())
            return true;
    }
    return false;
}

std::size_t writeNames(const std::vector<NameSourceRow>& all, bool surname,
                       const std::filesystem::path& file) {
    struct Entry {
        std::string reading, kanji;
        int rank = NameSourceRow::kNoRank, cost = NameSourceRow::kNoCost;
        bool listed = false;
    };
    std::map<std::pair<std::string, std::string>, Entry> byForm;
    for (const NameSourceRow& r : all) {
        if (r.surname != surname || !fitsCandidate(r) || !hasKanji(r.kanji))
            continue;
        Entry& e = byForm[{r.reading, r.kanji}];
        e.reading = r.reading;
        e.kanji = r.kanji;
        e.rank = std::min(e.rank, r.rank);
        e.cost = std::min(e.cost, r.cost);
        e.listed = e.listed || !r.ranksOnly;
    }
    std::vector<Entry> entries;
    for (auto& [key, e] : byForm)
        if (e.listed)
            entries.push_back(std::move(e));
    // Within a reading the forms in the order of use of the name list, then by
    // the IPA dictionary's cost (lower = more common).
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return std::tie(a.reading, a.rank, a.cost, a.kanji) <
               std::tie(b.reading, b.rank, b.cost, b.kanji);
    });
    auto f = openOut(file);
    for (const Entry& e : entries)
        f << e.reading << '\t' << e.kanji << '\n';
    return entries.size();
}

} // namespace

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
