#include "lookup/PostalTable.h"

#include "lookup/PackedKey.h"

#include <algorithm>
#include <numeric>

namespace kanata {

PostalTable::PostalTable(const std::filesystem::path& file) : file_(file) {
    const std::string_view text = file_.text();
    const std::size_t lines = file_.size();
    keys_.reserve(lines);
    starts_.reserve(lines * (kFields + 1));
    for (std::size_t i = 0; i < lines; ++i) {
        const std::string_view line = file_.line(i);
        const auto begin = static_cast<std::uint32_t>(line.data() - text.data());
        const auto past = static_cast<std::uint32_t>(begin + line.size() + 1);
        std::uint32_t at = begin;
        for (std::size_t k = 0; k <= kFields; ++k) {
            starts_.push_back(at);
            if (at == past)
                continue;
            const auto tab = line.find('\t', at - begin);
            at = tab == std::string_view::npos ? past : static_cast<std::uint32_t>(begin + tab + 1);
        }
        keys_.push_back(PackKey(field(i, 0)));
    }
    std::vector<std::uint64_t> jisOf(lines);
    for (std::size_t i = 0; i < lines; ++i)
        jisOf[i] = PackKey(field(i, 1));
    byJis_.resize(lines);
    std::iota(byJis_.begin(), byJis_.end(), 0u);
    // The order of the codes' texts: their packed heads, and the texts
    // themselves where the heads tie on codes of eight bytes or more.
    std::stable_sort(byJis_.begin(), byJis_.end(), [&](std::uint32_t a, std::uint32_t b) {
        if (jisOf[a] != jisOf[b])
            return jisOf[a] < jisOf[b];
        const std::string_view ja = field(a, 1), jb = field(b, 1);
        return ja.size() >= kPackedKeyBytes && jb.size() >= kPackedKeyBytes && ja < jb;
    });
    jisKeys_.reserve(lines);
    officesBefore_.reserve(lines + 1);
    officesBefore_.push_back(0);
    for (const std::uint32_t line : byJis_) {
        jisKeys_.push_back(jisOf[line]);
        officesBefore_.push_back(officesBefore_.back() + (field(line, 6).empty() ? 0 : 1));
    }
}

std::string_view PostalTable::field(std::size_t line, std::size_t index) const {
    const std::uint32_t* s = starts_.data() + line * (kFields + 1) + index;
    if (s[1] <= s[0])
        return {};
    return file_.text().substr(s[0], s[1] - s[0] - 1);
}

PostalRowView PostalTable::view(std::size_t line) const {
    return {field(line, 0), field(line, 1), field(line, 2), field(line, 3),
            field(line, 4), field(line, 5), field(line, 6), field(line, 7)};
}

PostalRow PostalTable::row(std::size_t line) const {
    const PostalRowView v = view(line);
    return {std::string(v.postal), std::string(v.jis),          std::string(v.prefecture),
            std::string(v.city),   std::string(v.town),         std::string(v.townKana),
            std::string(v.office), std::string(v.officeAddress)};
}

std::pair<std::size_t, std::size_t> PostalTable::prefixRange(std::string_view prefix) const {
    const auto first = std::lower_bound(keys_.begin(), keys_.end(), PackKey(prefix));
    const auto last = std::upper_bound(first, keys_.end(), PackedPrefixEnd(prefix));
    return {static_cast<std::size_t>(first - keys_.begin()),
            static_cast<std::size_t>(last - keys_.begin())};
}

std::pair<std::size_t, std::size_t> PostalTable::jisRange(std::string_view jis) const {
    const auto packed = std::equal_range(jisKeys_.begin(), jisKeys_.end(), PackKey(jis));
    std::pair<std::size_t, std::size_t> r{
        static_cast<std::size_t>(packed.first - jisKeys_.begin()),
        static_cast<std::size_t>(packed.second - jisKeys_.begin())};
    if (jis.size() < kPackedKeyBytes)
        return r;
    // Codes of eight bytes or more tie on their packed head: the file's
    // order of the whole text decides within the tie.
    const auto less = [this](std::uint32_t line, std::string_view key) {
        return field(line, 1) < key;
    };
    const auto greater = [this](std::string_view key, std::uint32_t line) {
        return key < field(line, 1);
    };
    const auto b = byJis_.begin();
    const auto first = std::lower_bound(b + r.first, b + r.second, jis, less);
    const auto last = std::upper_bound(first, b + r.second, jis, greater);
    return {static_cast<std::size_t>(first - b), static_cast<std::size_t>(last - b)};
}

std::span<const std::uint32_t> PostalTable::linesOf(std::string_view jis) const {
    const auto [first, last] = jisRange(jis);
    return {byJis_.data() + first, last - first};
}

std::size_t PostalTable::countOf(std::string_view jis, bool offices) const {
    const auto [first, last] = jisRange(jis);
    const std::size_t officeCount = officesBefore_[last] - officesBefore_[first];
    return offices ? officeCount : last - first - officeCount;
}

} // namespace kanata
