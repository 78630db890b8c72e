#include "lookup/KanaRow.h"

#include "data/Cp932.h"
#include "data/WidthConversion.h"

#include <array>

namespace kanata {
namespace {

constexpr std::array<const char*, kKanaRowCount> kItems = {
    "すべて", "あ行", "か行", "さ行", "た行", "な行", "は行", "ま行", "や行", "ら行", "わ行"};
// Code page 932 bytes of ｱ ｶ ｻ ﾀ ﾅ ﾊ ﾏ ﾔ ﾗ ﾜ ﾝ: row i runs from kBounds[i-1] to kBounds[i].
constexpr std::array<unsigned char, kKanaRowCount> kBounds = {0xB1, 0xB6, 0xBB, 0xC0, 0xC5, 0xCA,
                                                              0xCF, 0xD4, 0xD7, 0xDC, 0xDD};

std::string_view firstCharacter(std::string_view utf8) {
    if (utf8.empty())
        return {};
    const auto lead = static_cast<unsigned char>(utf8[0]);
    const std::size_t len = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    return utf8.substr(0, len);
}

} // namespace

const char* KanaRowItem(int item) {
    return item >= 0 && item < kKanaRowCount ? kItems[static_cast<std::size_t>(item)] : "";
}

bool PassesKanaRow(int item, std::string_view reading) {
    if (item <= 0 || item >= kKanaRowCount)
        return true;
    const std::string bytes = cp932::encode(firstCharacter(reading));
    if (bytes.size() != 1)
        return false;
    const auto b = static_cast<unsigned char>(bytes[0]);
    const auto i = static_cast<std::size_t>(item);
    return b >= kBounds[i - 1] && b < kBounds[i];
}

std::string ReadingInitial(std::string_view reading) {
    return KanaIndexLetter(firstCharacter(reading));
}

} // namespace kanata
