#include "DirectoryCsv.h"

#include "data/Cp932.h"

#include <algorithm>
#include <charconv>
#include <map>

namespace kanata::mkphonebook {
namespace {

using phonebook::Entry;

constexpr std::size_t kFieldCount = 11;
constexpr long kMaxLatitude = 90L * 3600 * 256;
constexpr long kMaxLongitude = 180L * 3600 * 256;

std::string digitsOf(std::string_view text) {
    std::string digits;
    for (char c : text)
        if (c >= '0' && c <= '9')
            digits.push_back(c);
    return digits;
}

bool onlyDigits(std::string_view text, std::string_view alsoAllowed = {}) {
    return std::all_of(text.begin(), text.end(), [&](char c) {
        return (c >= '0' && c <= '9') || alsoAllowed.find(c) != std::string_view::npos;
    });
}

// Code page 932 bytes of a text; false when a character has no place in the
// code page (it would be stored as "?").
bool toCodePage(const std::string& text, std::string& bytes) {
    bytes = cp932::encode(text);
    return std::count(bytes.begin(), bytes.end(), '?') == std::count(text.begin(), text.end(), '?');
}

std::variant<std::int32_t, std::string> coordinate(const std::string& text, long limit,
                                                   const char* what) {
    if (text.empty())
        return 0;
    long value = 0;
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (*begin == '+')
        ++begin;
    auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end)
        return std::string("the ") + what + " is not a whole number";
    if (value < -limit || value > limit)
        return std::string("the ") + what + " is out of range";
    return static_cast<std::int32_t>(value);
}

} // namespace

std::variant<std::vector<std::string>, std::string> splitCsvLine(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t at = 0;
    while (true) {
        std::string field;
        if (at < line.size() && line[at] == '"') {
            ++at;
            while (true) {
                if (at >= line.size())
                    return std::string("a quoted field is not closed");
                if (line[at] == '"') {
                    if (at + 1 < line.size() && line[at + 1] == '"') {
                        field.push_back('"');
                        at += 2;
                        continue;
                    }
                    ++at;
                    break;
                }
                field.push_back(line[at++]);
            }
            while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
                ++at;
            if (at < line.size() && line[at] != ',')
                return std::string("text follows a closing quote");
        } else {
            std::size_t comma = line.find(',', at);
            std::size_t end = comma == std::string_view::npos ? line.size() : comma;
            field.assign(line.substr(at, end - at));
            at = end;
        }
        fields.push_back(cp932::trim(field));
        if (at >= line.size())
            break;
        ++at; // the comma
    }
    return fields;
}

std::variant<Entry, std::string> entryFromFields(const std::vector<std::string>& given) {
    if (given.size() > kFieldCount)
        return "more than " + std::to_string(kFieldCount) + " fields";
    std::vector<std::string> f = given;
    f.resize(kFieldCount);

    Entry entry;
    entry.number = digitsOf(f[0]);
    if (entry.number.empty())
        return std::string("the number has no digits");
    if (entry.number.size() > phonebook::kMaxKeyDigits)
        return std::string("the number has more than 11 digits");
    if (f[1].empty())
        return std::string("the name is empty");
    if (!onlyDigits(f[3], "-") || !onlyDigits(f[7]) || !onlyDigits(f[8]))
        return std::string("a postal, address or company code is not digits");
    entry.postalCode = digitsOf(f[3]);
    if (!entry.postalCode.empty() && entry.postalCode.size() != 5 && entry.postalCode.size() != 7)
        return std::string("the postal code has neither 5 nor 7 digits");
    entry.addressCode = f[7];
    entry.companyCode = f[8];

    const std::pair<std::string Entry::*, std::size_t> texts[] = {{&Entry::name, 1},
                                                                  {&Entry::kana, 2},
                                                                  {&Entry::address1, 4},
                                                                  {&Entry::address2, 5},
                                                                  {&Entry::address3, 6}};
    for (auto [field, column] : texts)
        if (!toCodePage(f[column], entry.*field))
            return "field " + std::to_string(column + 1) +
                   " has a character code page 932 cannot hold";

    auto latitude = coordinate(f[9], kMaxLatitude, "latitude");
    if (auto* error = std::get_if<std::string>(&latitude))
        return *error;
    auto longitude = coordinate(f[10], kMaxLongitude, "longitude");
    if (auto* error = std::get_if<std::string>(&longitude))
        return *error;
    entry.latitude = std::get<std::int32_t>(latitude);
    entry.longitude = std::get<std::int32_t>(longitude);

    if (std::string problem = phonebook::problemWith(entry); !problem.empty())
        return problem;
    return entry;
}

ReadResult readDirectoryCsv(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    ReadResult result;
    std::map<std::string, int> firstLineOf;
    int lineNumber = 0;
    while (!text.empty()) {
        std::size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
        ++lineNumber;
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (cp932::trim(line).empty() || line.starts_with('#'))
            continue;

        auto fields = splitCsvLine(line);
        if (auto* error = std::get_if<std::string>(&fields)) {
            result.badLines.push_back({lineNumber, *error});
            continue;
        }
        auto entry = entryFromFields(std::get<0>(fields));
        if (auto* error = std::get_if<std::string>(&entry)) {
            result.badLines.push_back({lineNumber, *error});
            continue;
        }
        Entry& e = std::get<Entry>(entry);
        auto [it, added] = firstLineOf.emplace(e.number, lineNumber);
        if (!added) {
            result.badLines.push_back({lineNumber, "the number " + e.number +
                                                       " already appears on line " +
                                                       std::to_string(it->second)});
            continue;
        }
        result.entries.push_back(std::move(e));
    }
    return result;
}

} // namespace kanata::mkphonebook
