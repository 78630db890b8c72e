#include "roster/ExtLinkList.h"

#include "data/Cp932.h"

#include <algorithm>
#include <cstdio>

namespace kanata {
namespace {

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

} // namespace

std::size_t ExtLinkList::storedBytes() const {
    std::size_t total = 0;
    for (const auto& link : links_)
        total += cp932::byteWidth(link) + 2;
    return total;
}

ExtLinkList::AddResult ExtLinkList::Add(const std::string& text) {
    const std::string link = cp932::trim(text);
    if (link.empty())
        return AddResult::Empty;
    if (!canAdd())
        return AddResult::Full;
    for (const auto& l : links_) {
        if (sameIgnoringCase(l, link))
            return AddResult::Duplicate;
    }
    if (storedBytes() + cp932::byteWidth(link) + 2 > kMaxBytes)
        return AddResult::TooLong;
    links_.push_back(link);
    return AddResult::Added;
}

int ExtLinkList::Remove(int index) {
    if (index < 0 || index >= count())
        return -1;
    links_.erase(links_.begin() + index);
    if (links_.empty())
        return -1;
    return std::min(index, count() - 1);
}

const char* ExtLinkList::TooLongMessage() {
    return "外部リンクの合計の長さは2000byteまでです  \r\nこれ以上登録できません  ";
}

std::string StoredColourText(Rgb c) {
    char text[8];
    std::snprintf(text, sizeof text, "$%02X%02X%02X", c.blue & 0xFF, c.green & 0xFF, c.red & 0xFF);
    return text;
}

bool ParseStoredColour(const std::string& text, Rgb& colour) {
    if (text.size() != 7 || text[0] != '$')
        return false;
    unsigned value = 0;
    for (char ch : text.substr(1)) {
        int digit;
        if (ch >= '0' && ch <= '9')
            digit = ch - '0';
        else if (ch >= 'a' && ch <= 'f')
            digit = ch - 'a' + 10;
        else if (ch >= 'A' && ch <= 'F')
            digit = ch - 'A' + 10;
        else
            return false;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    colour = {static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
              static_cast<int>((value >> 16) & 0xFF)};
    return true;
}

} // namespace kanata
