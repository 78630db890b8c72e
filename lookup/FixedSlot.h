#pragma once
// Texts in the fixed-size character slots of the closed-library records
// (phonebook hit, extension record): code page 932 bytes, NUL-terminated
// unless they fill the slot.
#include <cstddef>
#include <string>
#include <string_view>

namespace kanata::slot {

// The slot's text (up to its first NUL, or the whole slot) as UTF-8.
std::string read(const char* slot, std::size_t size);

// Writes a UTF-8 text into a slot in code page 932, cut to fit with its
// terminating NUL (so at most size - 1 bytes), never splitting a character.
// The rest of the slot is zeroed.
void write(char* slot, std::size_t size, std::string_view utf8);

template <std::size_t N> std::string read(const char (&s)[N]) {
    return read(s, N);
}
template <std::size_t N> void write(char (&s)[N], std::string_view utf8) {
    write(s, N, utf8);
}

} // namespace kanata::slot
