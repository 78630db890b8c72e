#include "data/HyphenShapeCache.h"
#include "data/Hyphenation.h"

#include <gtest/gtest.h>

#include <string>

using namespace kanata;

namespace {

// The library's answer without any cache, with the calls counted.
int libraryCalls = 0;

int library(const std::string& digits, std::string& hyphenated) {
    ++libraryCalls;
    char out[kHyphenBufferSize] = {};
    const int result = GetHyphen(digits.c_str(), out, nullptr, nullptr);
    hyphenated = out;
    return result;
}

struct Answer {
    int result;
    std::string hyphenated;
    bool operator==(const Answer&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Answer& a) {
    return os << a.result << " \"" << a.hyphenated << '"';
}

Answer uncached(const std::string& digits) {
    Answer a{};
    a.result = library(digits, a.hyphenated);
    if (a.result != kHyphenDone)
        a.hyphenated.clear();
    return a;
}

Answer cached(HyphenShapeCache& cache, const std::string& digits) {
    Answer a{};
    a.result = cache.hyphenate(digits, a.hyphenated);
    if (a.result != kHyphenDone)
        a.hyphenated.clear();
    return a;
}

// `length` digits: `prefix`, then digits from `seed`.
std::string number(const std::string& prefix, std::size_t length, unsigned seed) {
    std::string digits = prefix.substr(0, length);
    while (digits.size() < length) {
        seed = seed * 1103515245u + 12345u;
        digits.push_back(static_cast<char>('0' + (seed >> 16) % 10));
    }
    return digits;
}

// The same number with every digit after the key changed.
std::string otherSubscriber(std::string digits) {
    for (std::size_t i = HyphenShapeCache::kKeyDigits; i < digits.size(); ++i)
        digits[i] = static_cast<char>('0' + (9 - (digits[i] - '0') + 3) % 10);
    return digits;
}

} // namespace

// The key's promise: whatever follows the first seven digits, a number of
// the same length is answered as the library answers it. Every four-digit
// area prefix, each with its own fifth to seventh digits, at the two lengths
// of Japanese numbers (other lengths are refused by their length alone).
TEST(HyphenShapeCache, EveryAreaPrefixAgreesWithTheLibraryForOtherSubscribers) {
    HyphenShapeCache cache(&library);
    int hyphenated = 0;
    for (std::size_t length = 10; length <= 11; ++length) {
        for (int area = 1000; area < 10000; ++area) {
            const std::string prefix =
                "0" + std::to_string(area) + std::to_string(100 + (area * 37 + length * 11) % 900);
            const std::string first = number(prefix, length, static_cast<unsigned>(area));
            const std::string second = otherSubscriber(first);
            cached(cache, first);
            const Answer expected = uncached(second);
            ASSERT_EQ(cached(cache, second), expected) << second << " after " << first;
            hyphenated += expected.result == kHyphenDone;
        }
    }
    EXPECT_GT(hyphenated, 5000); // the sweep met real numbers, not only refusals
}

// Grouping depends on the seventh digit in places (082-965-0 but 0829-65-2):
// a shorter key would give one of these the other's hyphens.
TEST(HyphenShapeCache, TheSeventhDigitStillDecides) {
    HyphenShapeCache cache(&library);
    const Answer a = uncached("0829650234");
    const Answer b = uncached("0829652234");
    ASSERT_EQ(a.result, kHyphenDone);
    ASSERT_EQ(b.result, kHyphenDone);
    EXPECT_NE(a.hyphenated.find('-'), b.hyphenated.find('-'));
    EXPECT_EQ(cached(cache, "0829650234"), a);
    EXPECT_EQ(cached(cache, "0829652234"), b);
    EXPECT_EQ(cache.size(), 2u);
}

TEST(HyphenShapeCache, AsksTheLibraryOncePerKeyButEveryTimeForInternationalPrefixes) {
    HyphenShapeCache cache(&library);
    libraryCalls = 0;
    for (const char* n : {"0312345678", "0312345999", "0312345000"})
        EXPECT_EQ(cached(cache, n).hyphenated, uncached(n).hyphenated) << n;
    EXPECT_EQ(libraryCalls, 1 + 3);                         // one fill, three uncached comparisons
    EXPECT_EQ(cached(cache, "031234"), uncached("031234")); // shorter: a key of its own

    libraryCalls = 0;
    for (const char* n : {"0081312345678", "0081312345679", "0101212555012", "0101212555013"}) {
        EXPECT_FALSE(HyphenShapeCache::keyDecides(n));
        EXPECT_EQ(cached(cache, n), uncached(n)) << n;
    }
    EXPECT_EQ(libraryCalls, 8);
    EXPECT_EQ(cache.size(), 2u);
}

TEST(HyphenShapeCache, StaysWithinItsCapacityAndKeepsAnswering) {
    HyphenShapeCache cache(&library, 4);
    for (int area = 0; area < 20; ++area) {
        const std::string n = "0" + std::to_string(3000000 + area * 1111) + "567";
        EXPECT_EQ(cached(cache, n), uncached(n)) << n;
        EXPECT_LE(cache.size(), 4u);
    }
    EXPECT_GE(cache.size(), 1u);
}
