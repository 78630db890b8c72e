#include "data/ReasonCode.h"

namespace kanata {

std::optional<std::string> ReasonCodeText(std::string_view tel) {
    if (tel.empty()) return std::nullopt;
    std::string text = ReasonCodeText(tel.front());
    if (text.empty()) return std::nullopt;
    return text;
}

} // namespace kanata
