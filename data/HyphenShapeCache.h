#pragma once
// Remembers how numbers are hyphenated by their length and leading digits,
// so that a run over many numbers asks libphonenumber once per area code
// instead of once per number.
//
// Japan's numbering plan, as libphonenumber has it, decides whether a number
// that begins with 0 and a digit from 1 to 9 is valid, and where its hyphens
// go, from its length and at most its first seven digits: the trunk 0 and six
// more, the deepest area-code distinction of the plan. The digits after them
// are subscriber digits that no rule looks at. So two such numbers of equal
// length and equal first seven digits get the same result and the same
// hyphen positions. Numbers beginning 00 (carrier and international
// services, whose rules go deeper) and 010 (the international call prefix,
// after which another country's plan applies) are not kept: each goes to the
// library.
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace kanata {

class HyphenShapeCache {
public:
    // The uncached hyphenation of a digit string: a HyphenResult code, and
    // the hyphenated form on kHyphenDone.
    using Hyphenate = int (*)(const std::string& digits, std::string& hyphenated);

    static constexpr std::size_t kKeyDigits = 7;
    // About 2 MB at most; a plan has far fewer distinct keys in use.
    static constexpr std::size_t kDefaultCapacity = std::size_t{1} << 16;

    explicit HyphenShapeCache(Hyphenate uncached, std::size_t capacity = kDefaultCapacity);

    // As `uncached` would answer for `digits` (ASCII digits only).
    int hyphenate(const std::string& digits, std::string& hyphenated);

    // Whether a number's result may be taken from another with its key.
    static bool keyDecides(std::string_view digits);
    std::size_t size() const;

private:
    struct Shape {
        int result;
        std::uint16_t hyphensAfter; // bit i: a hyphen follows digit i
    };
    static std::uint64_t keyOf(std::string_view digits);
    static bool shapeOf(const std::string& digits, const std::string& hyphenated, Shape& shape);
    static std::string apply(const Shape& shape, const std::string& digits);

    Hyphenate uncached_;
    std::size_t capacity_;
    mutable std::mutex mutex_;
    std::unordered_map<std::uint64_t, Shape> shapes_;
};

} // namespace kanata
