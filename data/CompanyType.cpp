#include "data/CompanyType.h"

#include "data/Cp932.h"

#include <array>

namespace kanata {
namespace {

constexpr std::array<std::string_view, 8> kMarks = {
    "", "（株）", "（有）", "（資）", "（名）", "（相）", "（財）", "（社）",
};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

std::string CompanyTypeName(std::string_view code, std::string_view companyName) {
    std::string named(companyName);
    if (code.size() >= 2 && isDigit(code[0]) && isDigit(code[1])) {
        const int type = code[1] - '0';
        if (type >= 1 && type < static_cast<int>(kMarks.size())) {
            const std::string mark(kMarks[type]);
            named = code[0] == '0' ? mark + named : named + mark;
        }
    }
    return cp932::cutToWidth(named, kCorpKanjiWidth);
}

} // namespace kanata
