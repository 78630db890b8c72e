#include "data/WideEscape.h"

#include "data/Utf8.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

namespace kanata {
namespace {
constexpr char32_t kReplacement = 0xFFFD;

// UTF-8 -> code points; an invalid byte becomes U+FFFD.
std::vector<char32_t> codePoints(std::string_view s) {
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < s.size();) {
        const Utf8Piece piece = DecodeUtf8At(s, i);
        out.push_back(piece.valid && piece.cp <= 0x10FFFF ? piece.cp : kReplacement);
        i += piece.length;
    }
    return out;
}

void appendGroup(std::string& out, unsigned unit) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "@%04X", unit & 0xFFFF);
    out += buffer;
}

std::optional<char16_t> parseGroup(const std::vector<char32_t>& cps, std::size_t at) {
    if (cps[at] != U'@')
        return std::nullopt;
    unsigned value = 0;
    for (std::size_t k = 1; k <= 4; ++k) {
        const char32_t c = cps[at + k];
        unsigned digit;
        if (c >= U'0' && c <= U'9')
            digit = static_cast<unsigned>(c - U'0');
        else if (c >= U'A' && c <= U'F')
            digit = static_cast<unsigned>(c - U'A' + 10);
        else if (c >= U'a' && c <= U'f')
            digit = static_cast<unsigned>(c - U'a' + 10);
        else
            return std::nullopt;
        value = value * 16 + digit;
    }
    return static_cast<char16_t>(value);
}

bool isHigh(char16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool isLow(char16_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}
} // namespace

std::string EncodeWideEscape(std::string_view utf8) {
    std::string out;
    for (char32_t cp : codePoints(utf8)) {
        if (cp >= 0x10000) {
            cp -= 0x10000;
            appendGroup(out, 0xD800 + static_cast<unsigned>(cp >> 10));
            appendGroup(out, 0xDC00 + static_cast<unsigned>(cp & 0x3FF));
        } else {
            appendGroup(out, static_cast<unsigned>(cp));
        }
    }
    return out;
}

std::string DecodeWideEscape(std::string_view text) {
    if (text.empty() || text.front() != '@')
        return std::string(text);
    const std::vector<char32_t> cps = codePoints(text);
    std::string out;
    char16_t pendingHigh = 0; // a high surrogate waiting for its partner, or 0
    auto flushHigh = [&] {
        if (pendingHigh)
            AppendUtf8(out, kReplacement);
        pendingHigh = 0;
    };
    for (std::size_t at = 0; at < cps.size(); at += 5) {
        const std::optional<char16_t> unit =
            at + 5 <= cps.size() ? parseGroup(cps, at) : std::nullopt;
        if (!unit) {
            flushHigh();
            for (std::size_t k = at; k < std::min(at + 5, cps.size()); ++k)
                AppendUtf8(out, cps[k]);
            continue;
        }
        if (isHigh(*unit)) {
            flushHigh();
            pendingHigh = *unit;
        } else if (isLow(*unit)) {
            if (pendingHigh)
                AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(pendingHigh) - 0xD800) << 10) +
                                    (static_cast<char32_t>(*unit) - 0xDC00));
            else
                AppendUtf8(out, kReplacement);
            pendingHigh = 0;
        } else {
            flushHigh();
            AppendUtf8(out, *unit);
        }
    }
    flushHigh();
    return out;
}

} // namespace kanata
