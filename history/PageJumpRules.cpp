#include "history/PageJumpRules.h"

#include "data/Cp932.h"

#include <algorithm>
#include <string>

namespace kanata {

int ValidJumpPage(std::string_view text, int lastValid, int total) {
    const std::string t = cp932::trim(text);
    if (t.empty() || t.size() > 9 ||
        !std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return lastValid;
    const int page = std::stoi(t);
    return page >= 1 && page <= total ? page : lastValid;
}

int StepJumpPage(int page, int delta, int total) {
    return std::clamp(page + delta, 1, std::max(1, total));
}

} // namespace kanata
