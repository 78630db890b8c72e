#include "data/Cp932.h"

#include "data/Cp932Table.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace kanata::cp932 {
namespace {

// iconv descriptors are costly to open and not thread-safe to share, so
// each thread keeps one per direction.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("iconv cannot convert between CP932 and UTF-8");
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as much as it can; returns false with `in` pointing at the
    // offending input when a character cannot be converted or is cut off.
    bool convert(const char*& in, std::size_t& inLeft, std::string& out) {
        char buffer[256];
        while (inLeft > 0) {
            char* dst = buffer;
            std::size_t dstLeft = sizeof buffer;
            std::size_t rc = iconv(cd_, const_cast<char**>(&in), &inLeft, &dst, &dstLeft);
            out.append(buffer, dst);
            if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);
                return false;
            }
        }
        return true;
    }

private:
    iconv_t cd_;
};

std::size_t utf8SequenceLength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 1;
}

} // namespace

std::string encode(std::string_view utf8) {
    thread_local Converter converter("CP932", "UTF-8");
    std::string out;
    out.reserve(utf8.size());
    const std::size_t known = table::encodeHead(utf8, out);
    if (known == utf8.size())
        return out;
    const char* in = utf8.data() + known;
    std::size_t left = utf8.size() - known;
    while (!converter.convert(in, left, out)) {
        std::size_t skip = std::min(left, utf8SequenceLength(static_cast<unsigned char>(*in)));
        out.push_back('?');
        in += skip;
        left -= skip;
    }
    return out;
}

std::string decode(std::string_view bytes) {
    thread_local Converter converter("UTF-8", "CP932");
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    const std::size_t known = table::decodeHead(bytes, out);
    if (known == bytes.size())
        return out;
    const char* in = bytes.data() + known;
    std::size_t left = bytes.size() - known;
    while (!converter.convert(in, left, out)) {
        std::size_t skip = (isLeadByte(static_cast<unsigned char>(*in)) && left >= 2) ? 2 : 1;
        out.append("\xEF\xBF\xBD");
        in += skip;
        left -= skip;
    }
    return out;
}

bool isLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::size_t byteWidth(std::string_view utf8) {
    bool ascii = true;
    for (char c : utf8)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    return ascii ? utf8.size() : encode(utf8).size();
}

std::string cutBytes(std::string_view bytes, std::size_t maxBytes) {
    if (bytes.size() <= maxBytes)
        return std::string(bytes);
    std::size_t pos = 0;
    while (pos < maxBytes) {
        std::size_t step = isLeadByte(static_cast<unsigned char>(bytes[pos])) ? 2 : 1;
        if (pos + step > maxBytes)
            break;
        pos += step;
    }
    return std::string(bytes.substr(0, pos));
}

std::string cutToWidth(std::string_view utf8, std::size_t maxBytes) {
    if (utf8.size() <= maxBytes)
        return std::string(utf8); // UTF-8 is never narrower
    std::string bytes = encode(utf8);
    if (bytes.size() <= maxBytes)
        return std::string(utf8);
    // Cut the UTF-8 text itself so that characters "?" stands for are not
    // replaced in what remains.
    std::string out;
    std::size_t width = 0;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        std::size_t len =
            std::min(utf8.size() - pos, utf8SequenceLength(static_cast<unsigned char>(utf8[pos])));
        std::size_t w = len == 1 ? 1 : encode(utf8.substr(pos, len)).size();
        if (width + w > maxBytes)
            break;
        width += w;
        pos += len;
    }
    return std::string(utf8.substr(0, pos));
}

std::string trim(std::string_view text) {
    return std::string(trimView(text));
}

std::string_view trimView(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= 0x20)
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= 0x20)
        --e;
    return text.substr(b, e - b);
}

} // namespace kanata::cp932
