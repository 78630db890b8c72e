#pragma once
// Code page 932 as tables, taken from iconv once per run: the UTF-8 form of
// every byte and byte pair iconv decodes, and the code page 932 form of every
// character those give. The conversions in Cp932.cpp run through the tables
// and hand the rest of a text, from the first character the tables do not
// know, to iconv itself, so what they give is iconv's in every case; iconv
// costs a call per text and the dictionary converts thousands of short
// slots a second.
#include <cstddef>
#include <string>
#include <string_view>

namespace kanata::cp932::table {

struct Converted {
    std::size_t read = 0, written = 0;
};
// The code page 932 form of the longest head of `utf8` the tables know that
// fits `room` bytes at `out`.
Converted encodeInto(std::string_view utf8, char* out, std::size_t room);
// The UTF-8 form of the longest head of `bytes` the tables know, at `out`:
// it needs room for kDecodeRoom bytes per byte and kDecodeSlack more.
inline constexpr std::size_t kDecodeRoom = 3, kDecodeSlack = 4;
Converted decodeInto(std::string_view bytes, char* out);

// Appends the code page 932 form of the longest head of `utf8` the tables
// know and returns its length in bytes of `utf8` (whole characters).
std::size_t encodeHead(std::string_view utf8, std::string& out);
// The same for code page 932 bytes to UTF-8.
std::size_t decodeHead(std::string_view bytes, std::string& out);

} // namespace kanata::cp932::table
