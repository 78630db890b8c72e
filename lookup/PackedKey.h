#pragma once
// Sort keys of the dictionary files (postal codes, municipality codes,
// exchange prefixes: digits, at most eight of them) packed big-endian into
// an integer, so that the integers sort as the texts do and a binary search
// compares one word. A longer text keeps its first eight bytes: the order
// still holds (ties where the texts differ later), and the callers check the
// text itself where a tie could matter.
#include <cstdint>
#include <string_view>

namespace kanata {

inline constexpr std::size_t kPackedKeyBytes = 8;

constexpr std::uint64_t PackKey(std::string_view text) {
    std::uint64_t key = 0;
    for (std::size_t i = 0; i < kPackedKeyBytes; ++i)
        key = key << 8 | (i < text.size() ? static_cast<unsigned char>(text[i]) : 0u);
    return key;
}

// The largest packed key of a text that starts with `prefix`.
constexpr std::uint64_t PackedPrefixEnd(std::string_view prefix) {
    if (prefix.size() >= kPackedKeyBytes)
        return PackKey(prefix);
    const std::size_t freeBits = 8 * (kPackedKeyBytes - prefix.size());
    const std::uint64_t low =
        freeBits == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << freeBits) - 1;
    return PackKey(prefix) | low;
}

} // namespace kanata
