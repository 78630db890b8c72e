#include "data/HyphenShapeCache.h"

#include "data/Hyphenation.h"

#include <algorithm>

namespace kanata {

HyphenShapeCache::HyphenShapeCache(Hyphenate uncached, std::size_t capacity)
    : uncached_(uncached), capacity_(std::max<std::size_t>(capacity, 1)) {}

bool HyphenShapeCache::keyDecides(std::string_view digits) {
    return digits.size() >= 2 && digits[0] == '0' && digits[1] != '0' && !digits.starts_with("010");
}

// The length and the leading digits; the length also tells how many leading
// digits there are, so shorter numbers never share a key with longer ones.
std::uint64_t HyphenShapeCache::keyOf(std::string_view digits) {
    std::uint64_t prefix = 0;
    for (char c : digits.substr(0, kKeyDigits))
        prefix = prefix * 10 + static_cast<std::uint64_t>(c - '0');
    return static_cast<std::uint64_t>(digits.size()) * 100000000u + prefix;
}

// The hyphen positions of a form made of exactly `digits` with single
// hyphens between them; false for any other form, which is then not kept.
bool HyphenShapeCache::shapeOf(const std::string& digits, const std::string& hyphenated,
                               Shape& shape) {
    if (digits.size() > 16)
        return false;
    std::size_t at = 0;
    bool afterDigit = false;
    for (char c : hyphenated) {
        if (c == '-') {
            if (!afterDigit || at == digits.size())
                return false;
            shape.hyphensAfter |= static_cast<std::uint16_t>(1u << (at - 1));
            afterDigit = false;
        } else if (at < digits.size() && c == digits[at]) {
            ++at;
            afterDigit = true;
        } else {
            return false;
        }
    }
    return at == digits.size() && afterDigit;
}

std::string HyphenShapeCache::apply(const Shape& shape, const std::string& digits) {
    std::string hyphenated;
    hyphenated.reserve(kHyphenBufferSize);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        hyphenated.push_back(digits[i]);
        if (shape.hyphensAfter & (1u << i))
            hyphenated.push_back('-');
    }
    return hyphenated;
}

int HyphenShapeCache::hyphenate(const std::string& digits, std::string& hyphenated) {
    if (!keyDecides(digits))
        return uncached_(digits, hyphenated);
    const std::uint64_t key = keyOf(digits);
    {
        std::lock_guard lock(mutex_);
        if (auto known = shapes_.find(key); known != shapes_.end()) {
            if (known->second.result == kHyphenDone)
                hyphenated = apply(known->second, digits);
            return known->second.result;
        }
    }
    const int result = uncached_(digits, hyphenated);
    Shape shape{result, 0};
    if (result == kHyphenDone && !shapeOf(digits, hyphenated, shape))
        return result;
    std::lock_guard lock(mutex_);
    // Starting afresh keeps the bound without bookkeeping per entry; the
    // keys in use come back after a few numbers.
    if (shapes_.size() >= capacity_)
        shapes_.clear();
    shapes_.emplace(key, shape);
    return result;
}

std::size_t HyphenShapeCache::size() const {
    std::lock_guard lock(mutex_);
    return shapes_.size();
}

} // namespace kanata
