#pragma once
// Reading the directory source: UTF-8 comma-separated text, one entry a line.
//
//   number, name, kana, postal code, prefecture and city, town,
//   block and building, address code, company code, latitude, longitude
//
// Fields may be quoted ("..."), with "" for a quote inside; quotes do not
// span lines. Blank lines and lines starting with "#" are skipped. Missing
// trailing fields are empty. The number is reduced to its digits (at most
// 11); the postal code to its digits (none, 5 or 7); address and company
// codes are digits; the coordinates are integers in 1/256 second of arc
// (empty = 0). The texts must fit their slots in code page 932.
#include "lookup/PhonebookFormat.h"

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kanata::mkphonebook {

// The fields of one line, or what is wrong with its quoting.
std::variant<std::vector<std::string>, std::string> splitCsvLine(std::string_view line);

// One entry from the fields of a line, or what is wrong with them.
std::variant<phonebook::Entry, std::string> entryFromFields(const std::vector<std::string>& fields);

struct BadLine {
    int lineNumber;
    std::string reason;
};

struct ReadResult {
    std::vector<phonebook::Entry> entries;
    std::vector<BadLine> badLines;
};

// Reads all lines; bad lines (and repeated numbers) are listed and skipped.
ReadResult readDirectoryCsv(std::string_view text);

} // namespace kanata::mkphonebook
