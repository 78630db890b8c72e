#include "plugins/common/Cp932Text.h"

#include <cerrno>
#include <iconv.h>

namespace kanata::adapter {
namespace {

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

std::string toCp932(std::string_view utf8) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::string(utf8);
    std::string out;
    out.reserve(utf8.size());
    std::string input(utf8);
    char* in = input.data();
    std::size_t inLeft = input.size();
    char buffer[256];
    while (inLeft > 0) {
        char* o = buffer;
        std::size_t oLeft = sizeof buffer;
        const std::size_t rc = iconv(cd, &in, &inLeft, &o, &oLeft);
        out.append(buffer, static_cast<std::size_t>(o - buffer));
        if (rc != static_cast<std::size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        // Unconvertible or broken input: one "?" for the character.
        std::size_t skip = utf8SequenceLength(static_cast<unsigned char>(*in));
        if (skip > inLeft)
            skip = inLeft;
        in += skip;
        inLeft -= skip;
        out.push_back('?');
    }
    iconv_close(cd);
    return out;
}

} // namespace kanata::adapter
