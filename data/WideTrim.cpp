#include "data/WideTrim.h"

#include "data/Cp932.h"
#include "data/Utf8.h"

#include <algorithm>

namespace kanata::cp932 {
namespace {

// One character of a text: how long it is, and whether it is a blank.
struct CharStep {
    std::size_t length;
    bool blank;
};

// Keeps the text from its first to its last character that is not blank,
// stepping through it from the start so that characters are never split.
template <class Step> std::string trimByCharacters(std::string_view text, Step step) {
    std::size_t first = text.size(), end = 0;
    for (std::size_t at = 0; at < text.size();) {
        const CharStep c = step(text, at);
        if (!c.blank) {
            first = std::min(first, at);
            end = at + c.length;
        }
        at += c.length;
    }
    return first < end ? std::string(text.substr(first, end - first)) : std::string();
}

} // namespace

std::string trimWide(std::string_view utf8) {
    return trimByCharacters(utf8, [](std::string_view text, std::size_t at) {
        const Utf8Piece piece = DecodeUtf8At(text, at);
        const bool blank = piece.valid && (piece.cp <= 0x20 || piece.cp == 0x3000);
        return CharStep{std::max<std::size_t>(piece.length, 1), blank};
    });
}

std::string trimWideBytes(std::string_view bytes) {
    return trimByCharacters(bytes, [](std::string_view text, std::size_t at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (isLeadByte(byte) && at + 1 < text.size())
            return CharStep{2, byte == 0x81 && text[at + 1] == '\x40'};
        return CharStep{1, byte <= 0x20};
    });
}

} // namespace kanata::cp932
