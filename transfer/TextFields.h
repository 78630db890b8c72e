#pragma once
// Comma-separated text with double quotes, as the import and export files
// and the print layouts write it. The routines walk bytes: in code page 932
// text both bytes of a double-byte character are stepped over together, so
// a trail byte is never taken for a separator or a quote. UTF-8 text needs
// no such care (no byte of a multi-byte sequence is ASCII) and is walked
// plainly.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kanata {

enum class TextEncoding { Cp932, Utf8 };

// The commas outside double quotes; a line has CountSeparators + 1 fields.
// A double quote toggles the inside-quotes state (starting outside).
int CountSeparators(std::string_view line, TextEncoding encoding = TextEncoding::Cp932);

enum class SplitMode {
    CutAtWidth = 0, // piece 0 = the first `width` bytes, piece 1 = the rest
    Split = 1,      // cut at every separator; the last piece takes the rest
    Unquote = 2,    // quote-aware split, one pair of outer quotes removed
    Quoted = 3,     // quote-aware split, pieces as they are
};

// Fills pieces 0 to n (the result has n + 1 pieces, at least 2 when cutting
// at a width). Widths count code page 932 bytes in either encoding: a cut
// that would split a double-byte character ends piece 0 one byte early with
// a blank, so piece 0 is always `width` bytes wide.
std::vector<std::string> SplitFields(std::string_view text, int n, SplitMode mode,
                                     char separator = ',', std::size_t width = 0,
                                     TextEncoding encoding = TextEncoding::Cp932);

// Every field of a line already in UTF-8, cut at the commas outside quotes
// and unquoted as SplitFields' Unquote mode cuts CountSeparators + 1 fields,
// in one pass: into `fields`, whose strings keep their storage from line to
// line. A code page 932 line decoded whole gives the fields that splitting
// its bytes and decoding each field would give: a lead byte and the byte
// after it are one character to both, and no trail byte is a comma or a
// quote. So a quote byte after a lead byte (no character of the code page)
// closes no quoted field here either.
void SplitRecordFields(std::string_view line, std::vector<std::string>& fields);

} // namespace kanata
