#include "lookup/AddressKey.h"

#include <array>
#include <optional>

namespace kanata {
namespace {

std::string_view charAt(std::string_view text, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    return text.substr(pos, length);
}

constexpr std::array<std::string_view, 10> kKanjiDigits{"〇", "一", "二", "三", "四",
                                                        "五", "六", "七", "八", "九"};
constexpr std::array<std::string_view, 10> kWideDigits{"０", "１", "２", "３", "４",
                                                       "５", "６", "７", "８", "９"};

std::optional<int> digitOf(std::string_view c) {
    if (c.size() == 1 && c[0] >= '0' && c[0] <= '9')
        return c[0] - '0';
    for (int d = 0; d < 10; ++d)
        if (c == kWideDigits[static_cast<std::size_t>(d)])
            return d;
    return std::nullopt;
}

std::optional<int> kanjiDigitOf(std::string_view c) {
    for (int d = 0; d < 10; ++d)
        if (c == kKanjiDigits[static_cast<std::size_t>(d)])
            return d;
    return std::nullopt;
}

std::optional<int> kanjiUnitOf(std::string_view c) {
    if (c == "十")
        return 10;
    if (c == "百")
        return 100;
    if (c == "千")
        return 1000;
    return std::nullopt;
}

// Reads a run of kanji numerals at `pos` and returns its value; 二十三 is 23,
// 二三 is 23 too (digit by digit, as in 二〇二四).
long long readKanjiNumber(std::string_view text, std::size_t& pos) {
    long long total = 0, current = 0;
    bool afterDigit = false;
    while (pos < text.size()) {
        const std::string_view c = charAt(text, pos);
        if (const auto d = kanjiDigitOf(c)) {
            current = afterDigit ? current * 10 + *d : *d;
            afterDigit = true;
        } else if (const auto unit = kanjiUnitOf(c)) {
            total += (current == 0 ? 1 : current) * *unit;
            current = 0;
            afterDigit = false;
        } else {
            break;
        }
        pos += c.size();
    }
    return total + current;
}

bool isKeOrGa(std::string_view c) {
    return c == "ヶ" || c == "ケ" || c == "が" || c == "ガ";
}

bool startsWith(std::string_view s, std::string_view head) {
    return s.substr(0, head.size()) == head;
}

// Kyoto addresses lead to the town through the streets: 烏丸通御池上る二条殿町
// is the town 二条殿町. The part up to the last direction is dropped.
std::string_view withoutStreetPart(std::string_view text) {
    // The text may already be a key, in which が has become ケ.
    static constexpr std::array<std::string_view, 16> kDirections{
        "上る",   "上ル",   "上がる", "上ガル", "上ケる", "上ケル", "下る", "下ル",
        "下がる", "下ガル", "下ケる", "下ケル", "入る",   "入ル",   "西入", "東入"};
    std::size_t cut = std::string_view::npos;
    const std::size_t street = text.find("通");
    for (std::string_view d : kDirections) {
        const std::size_t at = text.rfind(d);
        if (at == std::string_view::npos)
            continue;
        // 西入 and 東入 without る only count after a street: 西入江 is a town.
        const bool bare = d == "西入" || d == "東入";
        if (bare && (street == std::string_view::npos || street > at))
            continue;
        std::size_t end = at + d.size();
        if (bare && (startsWith(text.substr(end), "る") || startsWith(text.substr(end), "ル")))
            end += std::string_view("る").size();
        if (cut == std::string_view::npos || end > cut)
            cut = end;
    }
    return cut == std::string_view::npos || cut >= text.size() ? text : text.substr(cut);
}

} // namespace

std::string AddressKey(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::string_view c = charAt(text, pos);
        if (const auto d = digitOf(c)) {
            out += static_cast<char>('0' + *d);
            pos += c.size();
        } else if (kanjiDigitOf(c) || kanjiUnitOf(c)) {
            out += std::to_string(readKanjiNumber(text, pos));
        } else {
            out += isKeOrGa(c) ? std::string_view("ケ") : c == "ノ" ? std::string_view("の") : c;
            pos += c.size();
        }
    }
    return out;
}

std::string TownKey(std::string_view text) {
    text = withoutStreetPart(text);
    if (startsWith(text, "大字"))
        text.remove_prefix(std::string_view("大字").size());
    else if (startsWith(text, "字"))
        text.remove_prefix(std::string_view("字").size());
    return AddressKey(text);
}

} // namespace kanata
