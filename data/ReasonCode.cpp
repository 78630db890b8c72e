#include "data/ReasonCode.h"

namespace kanata {

std::optional<std::string> ReasonCodeText(std::string_view tel) {
    if (tel.empty())
        return std::nullopt;
    switch (tel.front()) {
    case 'P':
        return "匿名着信";
    case 'O':
        return "表示圏外";
    case 'C':
        return "公衆電話";
    case 'S':
        return "契約条件";
    case '$':
        return "特殊電話番号";
    }
    return std::nullopt;
}

} // namespace kanata
