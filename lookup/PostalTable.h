#pragma once
// postal.txt held the way its look-ups read it: the file's text once, the
// offsets of the fields a row has, the postal codes as packed keys in file
// order (the file is sorted by code) and the lines of each municipality with
// their count of large business offices, so that a look-up is binary
// searches and slices of the text, never a split of a line.
#include "lookup/TabFile.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kanata {

// One postal row: a town, or a large business office with a code of its own.
struct PostalRow {
    std::string postal; // seven digits
    std::string jis, prefecture, city, town, townKana, office, officeAddress;
    bool isOffice() const { return !office.empty(); }
};

// The same row as slices of the file's text, valid while the table lives.
struct PostalRowView {
    std::string_view postal, jis, prefecture, city, town, townKana, office, officeAddress;
    bool isOffice() const { return !office.empty(); }
};

class PostalTable {
public:
    // The fields of a row, in file order: code, JIS code, prefecture, city,
    // town, town reading, office, office address.
    static constexpr std::size_t kFields = 8;

    // Throws std::runtime_error naming the file when it cannot be read.
    explicit PostalTable(const std::filesystem::path& file);

    std::size_t size() const { return keys_.size(); }
    // Field `index` (< kFields) of line `line`; empty when the line has fewer.
    std::string_view field(std::size_t line, std::size_t index) const;
    PostalRowView view(std::size_t line) const;
    PostalRow row(std::size_t line) const;

    // [first, last) of the lines whose code starts with `prefix` (at most
    // eight bytes, as postal codes are).
    std::pair<std::size_t, std::size_t> prefixRange(std::string_view prefix) const;
    // The lines of a municipality, in file order.
    std::span<const std::uint32_t> linesOf(std::string_view jis) const;
    // How many of them are offices (`offices`) or towns.
    std::size_t countOf(std::string_view jis, bool offices) const;

private:
    std::pair<std::size_t, std::size_t> jisRange(std::string_view jis) const;

    TabFile file_;
    std::vector<std::uint64_t> keys_;          // packed code of each line
    std::vector<std::uint32_t> starts_;        // kFields + 1 field starts per line
    std::vector<std::uint32_t> byJis_;         // lines sorted by (JIS code, line)
    std::vector<std::uint64_t> jisKeys_;       // packed JIS code, parallel to byJis_
    std::vector<std::uint32_t> officesBefore_; // offices in byJis_[0, k)
};

} // namespace kanata
