#pragma once
// The one place that knows code page 932 (Shift-JIS as Windows has it).
//
// Inside the program text is UTF-8. Code page 932 appears only at the edges
// (INI files, import and export files, item lists, the adapter ABI, the raw
// call log), and widths are counted as the stored files count them: in code
// page 932 bytes, ASCII and half-width katakana 1, everything else 2.
//
// Characters code page 932 cannot hold: each such character becomes one "?"
// (0x3F) on encoding, as Windows does with its default character. Widths
// count it as that one byte, so a width measured here is always the width of
// what is written. Bytes that are not valid code page 932 (or not valid
// UTF-8) become U+FFFD on decoding and "?" on encoding; nothing throws.
// Text that must keep such characters exactly (the address book's kanji
// name) uses its own escape form on top of this.
#include <cstddef>
#include <string>
#include <string_view>

namespace kanata::cp932 {

// UTF-8 -> code page 932 bytes.
std::string encode(std::string_view utf8);
// Code page 932 bytes -> UTF-8.
std::string decode(std::string_view bytes);

// True for a byte that starts a double-byte character (0x81-0x9F, 0xE0-0xFC).
bool isLeadByte(unsigned char byte);

// Width of a UTF-8 text in code page 932 bytes.
std::size_t byteWidth(std::string_view utf8);

// Cuts code page 932 bytes to at most maxBytes, one byte less where the cut
// would leave a lead byte without its trail byte.
std::string cutBytes(std::string_view bytes, std::size_t maxBytes);

// Cuts a UTF-8 text so that its code page 932 form has at most maxBytes,
// never splitting a character.
std::string cutToWidth(std::string_view utf8, std::size_t maxBytes);

// Removes leading and trailing blanks and control characters (every byte up
// to 0x20), as the stored files' trimming does. Ideographic spaces stay.
std::string trim(std::string_view text);
// The same as a view into `text`.
std::string_view trimView(std::string_view text);

} // namespace kanata::cp932
