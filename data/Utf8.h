#pragma once
// Stepping through UTF-8 text one character at a time, for the few places
// that map characters themselves (width conversion, the wide escape), and
// the folding of ASCII letters within it.
#include <cstddef>
#include <string>
#include <string_view>

namespace kanata {

// One decoded character: its code point, or the single byte it stands for
// when the text is not valid UTF-8 there (valid = false, length 1).
struct Utf8Piece {
    char32_t cp;
    std::size_t length;
    bool valid;
};

Utf8Piece DecodeUtf8At(std::string_view text, std::size_t at);
void AppendUtf8(std::string& out, char32_t cp);
// Lower-cases the ASCII letters and nothing else, in place. No byte of a
// UTF-8 sequence beyond ASCII lies in A-Z, so it can go over the bytes.
void LowerAsciiLetters(std::string& text);

} // namespace kanata
