#include "lookup/AddressDictionary.h"

#include "data/WidthConversion.h"
#include "lookup/AddressKey.h"
#include "lookup/PackedKey.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>

namespace kanata {
namespace {

std::optional<std::int32_t> number(std::string_view s) {
    std::int32_t v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || r.ec != std::errc())
        return std::nullopt;
    return v;
}

// 東京 of 東京都, 大阪 of 大阪府, 神奈川 of 神奈川県; empty for 北海道, which
// is not written without its 道.
std::string WithoutPrefectureSuffix(std::string_view prefecture) {
    for (std::string_view suffix : {"都", "府", "県"})
        if (prefecture.size() > suffix.size() && prefecture.ends_with(suffix))
            return std::string(prefecture.substr(0, prefecture.size() - suffix.size()));
    return {};
}

bool startsWith(std::string_view s, std::string_view head) {
    return s.substr(0, head.size()) == head;
}

std::string digitsOf(std::string_view text) {
    std::string d;
    for (char c : text)
        if (std::isdigit(static_cast<unsigned char>(c)))
            d += c;
    return d;
}

bool isPostalText(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) || c == '-';
    });
}

// Blanks of either width do not separate parts of an address.
std::string withoutBlanks(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == ' ' || text[i] == '\t') {
            ++i;
        } else if (text.substr(i, 3) == "　") {
            i += 3;
        } else {
            out += text[i++];
        }
    }
    return out;
}

// How well the note of a town row fits what the address says after the town:
// 2 its chome range holds the number, 1 no note, 0 another note.
int noteFit(std::string_view town, std::string_view after) {
    const auto paren = town.find("（");
    if (paren == std::string_view::npos)
        return 1;
    const std::string note = AddressKey(town.substr(paren));
    int from = 0, to = 0;
    if (std::sscanf(note.c_str(), "（%d～%d丁目）", &from, &to) != 2)
        return 0;
    int chome = 0;
    const auto r = std::from_chars(after.data(), after.data() + after.size(), chome);
    return r.ec == std::errc() && chome >= from && chome <= to ? 2 : 0;
}

} // namespace

std::string TownBaseName(std::string_view town) {
    return std::string(TownBaseView(town));
}

std::string_view TownBaseView(std::string_view town) {
    return town.substr(0, town.find("（"));
}

AddressDictionary::AddressDictionary(const std::filesystem::path& dicFolder)
    : cities_(dicFolder / "city.txt"), postal_(dicFolder / "postal.txt") {
    municipalities_.reserve(cities_.size());
    for (std::size_t i = 0; i < cities_.size(); ++i) {
        const auto f = cities_.fields(i);
        if (f.size() < 7)
            continue;
        municipalities_.push_back({std::string(f[0]), std::string(f[1]), std::string(f[2]),
                                   std::string(f[3]), std::string(f[4]), number(f[5]),
                                   number(f[6])});
        const Municipality& m = municipalities_.back();
        municipalityKeys_.push_back(PackKey(m.jis));
        std::string_view bare = m.name;
        if (const auto gun = bare.find("郡"); gun != std::string_view::npos)
            bare.remove_prefix(gun + std::string_view("郡").size());
        keys_.push_back({AddressKey(m.prefecture), AddressKey(m.name), AddressKey(bare),
                         AddressKey(WithoutPrefectureSuffix(m.prefecture))});
    }
    const TabFile areas(dicFolder / "area.txt");
    for (std::size_t i = 0; i < areas.size(); ++i) {
        const auto f = areas.fields(i);
        ExchangeArea a{std::string(f[0]), f.size() > 1 ? std::string(f[1]) : "", {}};
        if (f.size() > 2 && !f[2].empty()) {
            std::string_view list = f[2];
            while (!list.empty()) {
                const auto comma = list.find(',');
                a.jis.emplace_back(list.substr(0, comma));
                list = comma == std::string_view::npos ? "" : list.substr(comma + 1);
            }
        }
        areaKeys_.push_back(PackKey(a.prefix));
        areas_.push_back(std::move(a));
    }
}

std::vector<PostalRow> AddressDictionary::ByPostalPrefix(std::string_view digits) const {
    const auto [first, last] = postal_.prefixRange(digits);
    std::vector<PostalRow> out;
    out.reserve(last - first);
    for (std::size_t i = first; i < last; ++i)
        out.push_back(postal_.row(i));
    return out;
}

const Municipality* AddressDictionary::FindMunicipality(std::string_view jis) const {
    const std::uint64_t key = PackKey(jis);
    // Codes that tie on their packed head follow each other in file order.
    for (auto it = std::lower_bound(municipalityKeys_.begin(), municipalityKeys_.end(), key);
         it != municipalityKeys_.end() && *it == key; ++it) {
        const Municipality& m =
            municipalities_[static_cast<std::size_t>(it - municipalityKeys_.begin())];
        if (m.jis == jis)
            return &m;
    }
    return nullptr;
}

std::vector<PostalRow> AddressDictionary::RowsOfMunicipality(std::string_view jis,
                                                             bool offices) const {
    std::vector<PostalRow> out;
    for (const std::uint32_t line : postal_.linesOf(jis))
        if (postal_.field(line, 6).empty() != offices)
            out.push_back(postal_.row(line));
    return out;
}

std::size_t AddressDictionary::CountOfMunicipality(std::string_view jis, bool offices) const {
    return postal_.countOf(jis, offices);
}

const ExchangeArea* AddressDictionary::AreaOf(std::string_view digits) const {
    for (std::size_t len = std::min<std::size_t>(digits.size(), 8); len >= 2; --len) {
        const auto key = digits.substr(0, len);
        const auto it = std::lower_bound(areaKeys_.begin(), areaKeys_.end(), PackKey(key));
        const auto i = static_cast<std::size_t>(it - areaKeys_.begin());
        if (i < areas_.size() && areas_[i].prefix == key)
            return &areas_[i];
    }
    return nullptr;
}

std::vector<AddressDictionary::AddressMatch>
AddressDictionary::MunicipalitiesOf(std::string_view address) const {
    const std::string text = AddressKey(withoutBlanks(ToFullWidth(address)));
    std::vector<AddressMatch> full, partial;
    if (text.empty())
        return full;
    for (std::size_t i = 0; i < municipalities_.size(); ++i) {
        const Municipality& m = municipalities_[i];
        const MunicipalityKeys& k = keys_[i];
        std::string_view rest = text;
        // One comparison for the municipalities of other prefectures: the
        // full name starts with the short one.
        const std::string& head = k.shortPrefecture.empty() ? k.prefecture : k.shortPrefecture;
        if (startsWith(rest, head)) {
            if (startsWith(rest, k.prefecture)) {
                rest.remove_prefix(k.prefecture.size());
            } else {
                // 東京千代田区: the prefecture without its 都, 府 or 県, taken
                // as such only where its municipality follows (京都市 is no
                // 京都府).
                const std::string_view after = rest.substr(head.size());
                if (startsWith(after, k.name) || startsWith(after, k.bare))
                    rest = after;
            }
        }
        if (rest.empty()) {
            partial.push_back({&m, {}}); // the prefecture alone: all its municipalities
            continue;
        }
        // The district may be left out of an address.
        if (startsWith(rest, k.name))
            full.push_back({&m, TownKey(rest.substr(k.name.size()))});
        else if (startsWith(rest, k.bare))
            full.push_back({&m, TownKey(rest.substr(k.bare.size()))});
        else if (startsWith(k.name, rest) || startsWith(k.bare, rest))
            partial.push_back({&m, {}});
    }
    return full.empty() ? partial : full;
}

std::vector<PostalRow> AddressDictionary::TownsFor(const AddressMatch& match, bool offices) const {
    std::vector<PostalRow> rows = RowsOfMunicipality(match.municipality->jis, offices);
    if (match.rest.empty())
        return rows;
    std::vector<PostalRow> fit;
    for (PostalRow& r : rows) {
        const std::string base = TownKey(TownBaseName(r.town));
        if (!base.empty() && (startsWith(match.rest, base) || startsWith(base, match.rest)))
            fit.push_back(std::move(r));
    }
    return fit;
}

// The town an address names: the longest town name the text after the
// municipality starts with. Where several rows share that name (北一条西 of
// 1-19 and of 20-28 chome), the one whose chome range holds the number the
// text goes on with, else the one without a note.
std::optional<PostalRow> AddressDictionary::townOf(const AddressMatch& match) const {
    std::optional<PostalRow> best;
    std::size_t bestLength = 0;
    int bestFit = -1;
    for (PostalRow& r : TownsFor(match, false)) {
        const std::string base = TownKey(TownBaseName(r.town));
        if (!startsWith(match.rest, base))
            continue;
        const int fit = noteFit(r.town, std::string_view(match.rest).substr(base.size()));
        if (!best || base.size() > bestLength || (base.size() == bestLength && fit > bestFit)) {
            bestLength = base.size();
            bestFit = fit;
            best = std::move(r);
        }
    }
    return best;
}

AddressCompletion AddressDictionary::Complete(std::string_view text) const {
    AddressCompletion c;
    auto fillCity = [&](const Municipality* m) {
        if (!m)
            return;
        c.jis = m->jis;
        c.prefecture = m->prefecture;
        c.city = m->name;
        c.latitude = m->latitude;
        c.longitude = m->longitude;
    };
    if (isPostalText(text)) {
        const std::string digits = digitsOf(text);
        if (digits.size() != 7)
            return c;
        const auto rows = ByPostalPrefix(digits);
        if (rows.empty())
            return c;
        c.postal = digits;
        fillCity(FindMunicipality(rows.front().jis));
        c.prefecture = rows.front().prefecture;
        c.city = rows.front().city;
        c.town = TownBaseName(rows.front().town);
        return c;
    }
    const auto matches = MunicipalitiesOf(text);
    if (matches.size() != 1)
        return c;
    fillCity(matches.front().municipality);
    if (matches.front().rest.empty())
        return c;
    const std::optional<PostalRow> best = townOf(matches.front());
    if (best) {
        c.postal = best->postal;
        c.town = TownBaseName(best->town);
    }
    return c;
}

} // namespace kanata
