#include "data/Cp932Table.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iconv.h>
#include <vector>

namespace kanata::cp932::table {
namespace {

struct Utf8 {
    char bytes[kDecodeSlack] = {};
    std::uint8_t size = 0; // 0: not in the table
};

enum class Probe { Converted, Invalid, Incomplete };

// One text through a fresh state of `cd`.
Probe probe(iconv_t cd, std::string_view in, std::string& out) {
    char buffer[16];
    char* src = const_cast<char*>(in.data());
    std::size_t left = in.size();
    char* dst = buffer;
    std::size_t room = sizeof buffer;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &src, &left, &dst, &room) == static_cast<std::size_t>(-1))
        return errno == EINVAL ? Probe::Incomplete : Probe::Invalid;
    out.assign(buffer, dst);
    return left == 0 ? Probe::Converted : Probe::Invalid;
}

// The one code point of a short UTF-8 text; -1 when it holds more or other.
long codePointOf(const std::string& s) {
    const auto b = [&s](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    if (s.size() == 1 && b(0) < 0x80)
        return b(0);
    if (s.size() == 2 && (b(0) & 0xE0) == 0xC0)
        return (b(0) & 0x1F) << 6 | (b(1) & 0x3F);
    if (s.size() == 3 && (b(0) & 0xF0) == 0xE0)
        return (b(0) & 0x0F) << 12 | (b(1) & 0x3F) << 6 | (b(2) & 0x3F);
    return -1;
}

class Tables {
public:
    Tables() : pairs_(0x10000) {
        const iconv_t toUtf8 = iconv_open("UTF-8", "CP932");
        const iconv_t toCp932 = iconv_open("CP932", "UTF-8");
        if (toUtf8 != reinterpret_cast<iconv_t>(-1) && toCp932 != reinterpret_cast<iconv_t>(-1))
            fill(toUtf8, toCp932);
        if (toUtf8 != reinterpret_cast<iconv_t>(-1))
            iconv_close(toUtf8);
        if (toCp932 != reinterpret_cast<iconv_t>(-1))
            iconv_close(toCp932);
    }

    // Code page 932 of a BMP code point: 0x100 | byte, the two-byte code, or
    // 0 when not in the table.
    std::uint16_t encoded(char32_t c) const { return encoded_[c]; }
    const Utf8& single(unsigned char b) const { return single_[b]; }
    bool isLead(unsigned char b) const { return lead_[b]; }
    const Utf8& pair(unsigned char lead, unsigned char trail) const {
        return pairs_[static_cast<std::size_t>(lead) << 8 | trail];
    }

private:
    void fill(iconv_t toUtf8, iconv_t toCp932) {
        std::string out;
        for (unsigned b = 0; b < 256; ++b) {
            const char in[1] = {static_cast<char>(b)};
            const Probe p = probe(toUtf8, {in, 1}, out);
            if (p == Probe::Converted)
                learn(single_[b], out, toCp932);
            lead_[b] = p == Probe::Incomplete;
        }
        for (unsigned lead = 0; lead < 256; ++lead) {
            if (!lead_[lead])
                continue;
            for (unsigned trail = 0; trail < 256; ++trail) {
                const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                if (probe(toUtf8, {in, 2}, out) == Probe::Converted)
                    learn(pairs_[lead << 8 | trail], out, toCp932);
            }
        }
    }

    // Keeps a decoded character and learns its way back.
    void learn(Utf8& slot, const std::string& utf8, iconv_t toCp932) {
        const long c = codePointOf(utf8);
        if (c < 0)
            return;
        slot.size = static_cast<std::uint8_t>(utf8.size());
        utf8.copy(slot.bytes, utf8.size());
        std::string back;
        if (encoded_[static_cast<std::size_t>(c)] || probe(toCp932, utf8, back) != Probe::Converted)
            return;
        const auto b0 = static_cast<unsigned char>(back[0]);
        if (back.size() == 1)
            encoded_[static_cast<std::size_t>(c)] = static_cast<std::uint16_t>(0x100 | b0);
        else if (back.size() == 2 && b0 >= 0x81)
            encoded_[static_cast<std::size_t>(c)] =
                static_cast<std::uint16_t>(b0 << 8 | static_cast<unsigned char>(back[1]));
    }

    std::array<Utf8, 256> single_{};
    std::array<bool, 256> lead_{};
    std::vector<Utf8> pairs_;
    std::array<std::uint16_t, 0x10000> encoded_{};
};

const Tables& tables() {
    static const Tables t;
    return t;
}

bool isContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// The BMP code point of the well-formed UTF-8 sequence at `s[pos]` and its
// length; length 0 for anything else.
std::pair<char32_t, std::size_t> nextCodePoint(std::string_view s, std::size_t pos) {
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[pos + i]); };
    const std::size_t left = s.size() - pos;
    if (b(0) < 0x80)
        return {b(0), 1};
    if (b(0) >= 0xC2 && b(0) <= 0xDF && left >= 2 && isContinuation(b(1)))
        return {static_cast<char32_t>((b(0) & 0x1F) << 6 | (b(1) & 0x3F)), 2};
    if ((b(0) & 0xF0) == 0xE0 && left >= 3 && isContinuation(b(1)) && isContinuation(b(2))) {
        const char32_t c = (b(0) & 0x0F) << 12 | (b(1) & 0x3F) << 6 | (b(2) & 0x3F);
        if (c >= 0x800 && (c < 0xD800 || c > 0xDFFF))
            return {c, 3};
    }
    return {0, 0};
}

} // namespace

Converted encodeInto(std::string_view utf8, char* out, std::size_t room) {
    const Tables& t = tables();
    Converted done;
    while (done.read < utf8.size()) {
        const auto [c, length] = nextCodePoint(utf8, done.read);
        const std::uint16_t code = length ? t.encoded(c) : 0;
        if (!code)
            break;
        if (code < 0x200) {
            if (done.written == room)
                break;
            out[done.written++] = static_cast<char>(code & 0xFF);
        } else {
            if (room - done.written < 2)
                break;
            out[done.written++] = static_cast<char>(code >> 8);
            out[done.written++] = static_cast<char>(code & 0xFF);
        }
        done.read += length;
    }
    return done;
}

Converted decodeInto(std::string_view bytes, char* out) {
    const Tables& t = tables();
    Converted done;
    while (done.read < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[done.read]);
        const Utf8* u = &t.single(b);
        std::size_t step = 1;
        if (!u->size) {
            if (!t.isLead(b) || done.read + 1 == bytes.size())
                break;
            u = &t.pair(b, static_cast<unsigned char>(bytes[done.read + 1]));
            if (!u->size)
                break;
            step = 2;
        }
        std::memcpy(out + done.written, u->bytes, sizeof u->bytes);
        done.written += u->size;
        done.read += step;
    }
    return done;
}

std::size_t encodeHead(std::string_view utf8, std::string& out) {
    // A character never has more bytes in code page 932 than in UTF-8.
    const std::size_t start = out.size();
    out.resize(start + utf8.size());
    const Converted done = encodeInto(utf8, out.data() + start, utf8.size());
    out.resize(start + done.written);
    return done.read;
}

std::size_t decodeHead(std::string_view bytes, std::string& out) {
    const std::size_t start = out.size();
    out.resize(start + kDecodeRoom * bytes.size() + kDecodeSlack);
    const Converted done = decodeInto(bytes, out.data() + start);
    out.resize(start + done.written);
    return done.read;
}

} // namespace kanata::cp932::table
