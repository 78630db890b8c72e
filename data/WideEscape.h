#pragma once
// The address book's escape for names code page 932 cannot hold: each
// UTF-16 code unit as "@" plus four upper-case hexadecimal digits.
#include <string>
#include <string_view>

namespace kanata {

// "山田" -> "@5C71@7530". Characters beyond the BMP give two groups (their
// surrogate pair).
std::string EncodeWideEscape(std::string_view utf8);

// A text whose first character is "@" is read five characters at a time.
// A group that is not "@" plus four hexadecimal digits (either case), and a
// short group at the end, stand for themselves, so a damaged entry shows
// what is stored instead of losing it; a surrogate without its partner
// becomes U+FFFD. Any other text is returned unchanged.
std::string DecodeWideEscape(std::string_view text);

} // namespace kanata
