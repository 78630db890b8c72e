#include "maintenance/UpdateDescription.h"

#include <pugixml.hpp>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <ctime>

namespace kanata {
namespace {

bool sameTextIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool parseWholeNumber(const std::string& text, std::int64_t& value) {
    if (text.empty() || text.size() > 18)
        return false;
    std::size_t start = text[0] == '-' ? 1 : 0;
    if (start == text.size())
        return false;
    for (std::size_t i = start; i < text.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
    value = std::stoll(text);
    return true;
}

bool digitsAt(const std::string& text, std::size_t from, std::size_t count, int& value) {
    if (text.size() < from + count)
        return false;
    value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

// Year in characters 1-4, month 6-7, day 9-10, hour 12-13, minute 15-16,
// second 18-19; any single characters between them.
bool parseDateTime(const std::string& text, LocalDateTime& dt) {
    if (!digitsAt(text, 0, 4, dt.year) || !digitsAt(text, 5, 2, dt.month) ||
        !digitsAt(text, 8, 2, dt.day) || !digitsAt(text, 11, 2, dt.hour) ||
        !digitsAt(text, 14, 2, dt.minute) || !digitsAt(text, 17, 2, dt.second))
        return false;
    static constexpr std::array<int, 12> days = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (dt.year % 4 == 0 && dt.year % 100 != 0) || dt.year % 400 == 0;
    if (dt.year < 1 || dt.month < 1 || dt.month > 12 || dt.day < 1 || dt.day > days[dt.month - 1] ||
        (dt.month == 2 && dt.day == 29 && !leap))
        return false;
    return dt.hour < 24 && dt.minute < 60 && dt.second < 60;
}

bool isPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string::npos && name.find('\0') == std::string::npos;
}

int readFile(const pugi::xml_node& node, UpdateFileEntry& entry) {
    const auto text = [&](const char* child) {
        return std::string(node.child(child).text().get());
    };
    if (!node.child("name"))
        return 2101;
    entry.name = text("name");
    entry.jpname = text("jpname");
    entry.path = text("path");
    entry.version = text("version");
    if (!node.child("size"))
        return 2102;
    if (!parseWholeNumber(text("size"), entry.size))
        return 2103;
    if (!node.child("datetime"))
        return 2104;
    if (!parseDateTime(text("datetime"), entry.datetime))
        return 2105;
    entry.restart = text("restart") == "1";
    if (!node.child("dlfile") || !isPlainFileName(text("dlfile")))
        return 2106;
    entry.dlfile = text("dlfile");
    if (!node.child("dlparam"))
        return 2107;
    entry.dlparam = text("dlparam");
    return kUpdateOk;
}

std::array<long, 4> versionParts(const std::string& text) {
    std::array<long, 4> parts{};
    std::size_t start = 0;
    for (std::size_t i = 0; i < parts.size() && start <= text.size(); ++i) {
        const std::size_t dot = std::min(text.find('.', start), text.size());
        const std::string part = text.substr(start, dot - start);
        std::int64_t value = 0;
        parts[i] = parseWholeNumber(part, value) ? static_cast<long>(value) : 0;
        start = dot + 1;
    }
    return parts;
}

} // namespace

std::int64_t LocalDateTime::toEpochSeconds() const {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&tm));
}

LocalDateTime LocalDateTime::fromEpochSeconds(std::int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string LocalDateTime::text() const {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d/%02d/%02d %02d:%02d:%02d", year, month, day, hour,
                  minute, second);
    return buffer;
}

UpdateDescription parseUpdateDescription(const std::string& body) {
    UpdateDescription d;
    // A description that fails to read gives nothing, its notice date
    // included: what was read before the fault is no more trustworthy.
    const auto fail = [&d](int code) {
        if (code != kNoUpdateInformation)
            d = {};
        d.code = code;
        return d;
    };
    if (body.find("<?xml") == std::string::npos)
        return fail(2000);
    pugi::xml_document doc;
    doc.load_buffer(body.data(), body.size());
    const pugi::xml_node root = doc.child("update");
    if (!root || doc.document_element() != root)
        return fail(2001);
    if (!root.child("app"))
        return fail(2002);
    if (!sameTextIgnoringCase(root.child("app").text().get(), "Kanata195"))
        return fail(2003);
    d.noticeDate = root.child("info").child("date").text().get();
    if (!root.child("count"))
        return fail(kNoUpdateInformation);
    std::int64_t count = 0;
    if (!parseWholeNumber(root.child("count").text().get(), count))
        return fail(2005);
    const auto files = root.children("file");
    if (std::distance(files.begin(), files.end()) != count)
        return fail(2006);
    if (!root.child("dlpath"))
        return fail(2007);
    d.dlpath = root.child("dlpath").text().get();
    if (d.dlpath.empty())
        return fail(2008);
    for (const pugi::xml_node& node : files) {
        UpdateFileEntry entry;
        if (const int code = readFile(node, entry); code != kUpdateOk)
            return fail(code);
        d.files.push_back(std::move(entry));
    }
    return d;
}

bool isNewerVersion(const std::string& offered, const std::string& installed) {
    const auto a = versionParts(offered);
    const auto b = versionParts(installed);
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i])
            return a[i] > b[i];
    return false;
}

} // namespace kanata
