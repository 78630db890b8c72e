#pragma once
// Trimming blanks of either width, the ideographic space included, without
// ever splitting a character. Window fields, addresses and names are
// trimmed through here so that every place agrees on what a blank is.
#include <string>
#include <string_view>

namespace kanata::cp932 {

// Removes leading and trailing blanks of either width: every byte up to
// 0x20 (as trim does) and the ideographic space taken as one whole
// character, so that a text whose first character merely shares its leading
// byte with that space ("つくば市", "さいたま市" in UTF-8) keeps it.
// trimWide reads UTF-8 text, trimWideBytes code page 932 bytes (where the
// space is 0x81 0x40 and a trail byte is never mistaken for the start of
// one).
std::string trimWide(std::string_view utf8);
std::string trimWideBytes(std::string_view bytes);

} // namespace kanata::cp932
