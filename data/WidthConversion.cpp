#include "data/WidthConversion.h"

#include "data/Utf8.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>

namespace kanata {
namespace {

constexpr char32_t kHalfFirst = 0xFF61; // ｡
constexpr char32_t kHalfLast = 0xFF9F;  // ﾟ
constexpr char32_t kHalfVoiced = 0xFF9E;
constexpr char32_t kHalfSemiVoiced = 0xFF9F;
constexpr char32_t kFullU = 0x30A6;  // ウ
constexpr char32_t kFullVu = 0x30F4; // ヴ

// The full-width counterparts of U+FF61..U+FF9F, in that order.
constexpr std::array<char32_t, kHalfLast - kHalfFirst + 1> kFullOfHalf = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, // ｡｢｣､･
    0x30F2,                                 // ｦ
    0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9, // ｧｨｩｪｫ
    0x30E3, 0x30E5, 0x30E7, 0x30C3, 0x30FC, // ｬｭｮｯｰ
    0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, // ｱｲｳｴｵ
    0x30AB, 0x30AD, 0x30AF, 0x30B1, 0x30B3, // ｶｷｸｹｺ
    0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, // ｻｼｽｾｿ
    0x30BF, 0x30C1, 0x30C4, 0x30C6, 0x30C8, // ﾀﾁﾂﾃﾄ
    0x30CA, 0x30CB, 0x30CC, 0x30CD, 0x30CE, // ﾅﾆﾇﾈﾉ
    0x30CF, 0x30D2, 0x30D5, 0x30D8, 0x30DB, // ﾊﾋﾌﾍﾎ
    0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, // ﾏﾐﾑﾒﾓ
    0x30E4, 0x30E6, 0x30E8,                 // ﾔﾕﾖ
    0x30E9, 0x30EA, 0x30EB, 0x30EC, 0x30ED, // ﾗﾘﾙﾚﾛ
    0x30EF, 0x30F3,                         // ﾜﾝ
    0x309B, 0x309C,                         // ﾞﾟ
};

// The kana of the k, s, t and h rows, which take the voiced mark (the
// voiced form is the next code point); the h row also takes the
// semi-voiced mark (two code points on).
bool takesVoicedMark(char32_t full) {
    return (full >= 0x30AB && full <= 0x30C2 && (full - 0x30AB) % 2 == 0) ||
           (full >= 0x30C4 && full <= 0x30C8 && (full - 0x30C4) % 2 == 0) ||
           (full >= 0x30CF && full <= 0x30DB && (full - 0x30CF) % 3 == 0);
}
bool takesSemiVoicedMark(char32_t full) {
    return full >= 0x30CF && full <= 0x30DB && (full - 0x30CF) % 3 == 0;
}

char32_t fullOfAscii(char32_t c) {
    if (c == ' ')
        return 0x3000;
    if (c == '\'')
        return 0x2019;
    if (c == '"')
        return 0x201D;
    if (c >= 0x21 && c <= 0x7E)
        return c + 0xFEE0;
    return c;
}

// Full-width form of the half-width character at `cp`, combining a voiced
// or semi-voiced mark that follows it; `marked` tells whether it did.
char32_t fullOfHalfKana(char32_t cp, char32_t next, bool& marked) {
    const char32_t full = kFullOfHalf[cp - kHalfFirst];
    marked = true;
    if (next == kHalfVoiced && full == kFullU)
        return kFullVu;
    if (next == kHalfVoiced && takesVoicedMark(full))
        return full + 1;
    if (next == kHalfSemiVoiced && takesSemiVoicedMark(full))
        return full + 2;
    marked = false;
    return full;
}

void appendHalfOf(std::string& out, char32_t cp) {
    if (cp == 0x3000) {
        out.push_back(' ');
        return;
    }
    if (cp == 0x2019 || cp == 0xFF07) {
        out.push_back('\'');
        return;
    }
    if (cp == 0x201D || cp == 0xFF02) {
        out.push_back('"');
        return;
    }
    if (cp >= 0xFF01 && cp <= 0xFF5E) {
        out.push_back(static_cast<char>(cp - 0xFEE0));
        return;
    }
    if (cp == 0x3099 || cp == 0x309A) { // combining marks
        AppendUtf8(out, cp == 0x3099 ? kHalfVoiced : kHalfSemiVoiced);
        return;
    }
    auto plain = std::find(kFullOfHalf.begin(), kFullOfHalf.end(), cp);
    if (plain != kFullOfHalf.end()) {
        AppendUtf8(out, kHalfFirst + static_cast<char32_t>(plain - kFullOfHalf.begin()));
        return;
    }
    char32_t base = 0;
    char32_t mark = 0;
    if (cp == kFullVu) {
        base = kFullU, mark = kHalfVoiced;
    } else if (takesVoicedMark(cp - 1)) {
        base = cp - 1, mark = kHalfVoiced;
    } else if (takesSemiVoicedMark(cp - 2)) {
        base = cp - 2, mark = kHalfSemiVoiced;
    }
    if (base == 0) {
        AppendUtf8(out, cp);
        return;
    }
    auto found = std::find(kFullOfHalf.begin(), kFullOfHalf.end(), base);
    AppendUtf8(out, kHalfFirst + static_cast<char32_t>(found - kFullOfHalf.begin()));
    AppendUtf8(out, mark);
}

} // namespace

std::string ToFullWidth(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (std::size_t at = 0; at < text.size();) {
        Utf8Piece piece = DecodeUtf8At(text, at);
        at += piece.length;
        if (!piece.valid) {
            out.push_back(static_cast<char>(piece.cp));
        } else if (piece.cp >= kHalfFirst && piece.cp <= kHalfLast) {
            Utf8Piece next = at < text.size() ? DecodeUtf8At(text, at) : Utf8Piece{0, 0, false};
            bool marked = false;
            AppendUtf8(out, fullOfHalfKana(piece.cp, next.valid ? next.cp : 0, marked));
            if (marked)
                at += next.length;
        } else {
            AppendUtf8(out, fullOfAscii(piece.cp));
        }
    }
    return out.empty() ? std::string(text) : out;
}

std::string ToHalfWidth(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        Utf8Piece piece = DecodeUtf8At(text, at);
        at += piece.length;
        if (piece.valid)
            appendHalfOf(out, piece.cp);
        else
            out.push_back(static_cast<char>(piece.cp));
    }
    return out.empty() ? std::string(text) : out;
}

std::string KanaIndexLetter(std::string_view oneHalfWidthKatakana) {
    static constexpr std::u32string_view kKana = U"ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜｦﾝ";
    static constexpr std::u32string_view kHiragana =
        U"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわ"
        U"をん";
    static_assert(kKana.size() == 46 && kHiragana.size() == 46);
    if (oneHalfWidthKatakana.empty())
        return {};
    Utf8Piece piece = DecodeUtf8At(oneHalfWidthKatakana, 0);
    if (!piece.valid || piece.length != oneHalfWidthKatakana.size())
        return std::string(oneHalfWidthKatakana);
    std::size_t place = kKana.find(piece.cp);
    if (place == std::u32string_view::npos)
        return std::string(oneHalfWidthKatakana);
    std::string letter;
    AppendUtf8(letter, kHiragana[place]);
    return letter;
}

} // namespace kanata
