#include "transfer/ImportTextFile.h"

#include "data/Cp932.h"

#include <algorithm>
#include <cstring>

namespace kanata {

namespace {
constexpr char kBom[] = "\xEF\xBB\xBF";
constexpr std::streamsize kSniffBytes = 4 << 20;
constexpr std::streamsize kChunkBytes = 1 << 20;

// The length of the well-formed UTF-8 sequence at `at` (RFC 3629: no
// overlong forms, no surrogates, nothing above U+10FFFF); 0 when there is
// none, -1 when the bytes end inside one that is well-formed so far.
int SequenceLength(std::string_view bytes, std::size_t at) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    int length = 0;
    unsigned char low = 0x80, high = 0xBF; // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    for (int i = 1; i < length; ++i) {
        if (at + static_cast<std::size_t>(i) >= bytes.size())
            return -1;
        const auto next = static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF))
            return 0;
    }
    return length;
}

} // namespace

bool LooksLikeUtf8(std::string_view bytes) {
    bool beyondAscii = false;
    for (std::size_t at = 0; at < bytes.size();) {
        if (static_cast<unsigned char>(bytes[at]) < 0x80) {
            ++at;
            continue;
        }
        beyondAscii = true;
        const int length = SequenceLength(bytes, at);
        if (length == 0)
            return false;
        if (length < 0)
            break; // cut off where the sniffed part ends
        at += static_cast<std::size_t>(length);
    }
    return beyondAscii;
}

bool ImportTextFile::open(const std::filesystem::path& path) {
    in_.close();
    in_.clear();
    in_.open(path, std::ios::binary);
    unmarkedUtf8_ = false;
    utf16_ = false;
    buffer_.clear();
    at_ = 0;
    lineCut_ = false;
    if (!in_)
        return false;
    char head[3] = {};
    in_.read(head, 3);
    const std::string_view start(head, static_cast<std::size_t>(in_.gcount()));
    utf16_ = start.starts_with("\xff\xfe") || start.starts_with("\xfe\xff");
    if (in_.gcount() == 3 && std::string(head, 3) == kBom) {
        encoding_ = TextEncoding::Utf8;
        position_ = 3;
    } else {
        in_.clear();
        in_.seekg(0);
        std::string head(static_cast<std::size_t>(kSniffBytes), '\0');
        in_.read(head.data(), kSniffBytes);
        head.resize(static_cast<std::size_t>(in_.gcount()));
        unmarkedUtf8_ = LooksLikeUtf8(head);
        encoding_ = unmarkedUtf8_ ? TextEncoding::Utf8 : TextEncoding::Cp932;
        in_.clear();
        in_.seekg(0);
        position_ = 0;
    }
    return true;
}

bool ImportTextFile::refill() {
    buffer_.resize(static_cast<std::size_t>(kChunkBytes));
    in_.read(buffer_.data(), kChunkBytes);
    buffer_.resize(static_cast<std::size_t>(in_.gcount()));
    at_ = 0;
    return !buffer_.empty();
}

bool ImportTextFile::readLine(std::string& line) {
    line.clear();
    lineCut_ = false;
    bool read = false;
    while (at_ < buffer_.size() || refill()) {
        read = true;
        const char* begin = buffer_.data() + at_;
        const std::size_t left = buffer_.size() - at_;
        const auto* end = static_cast<const char*>(std::memchr(begin, '\n', left));
        const std::size_t length = end ? static_cast<std::size_t>(end - begin) : left;
        // One byte over the limit for the carriage return of a CR LF.
        const std::size_t room = kMaxLineBytes + 1 - line.size();
        line.append(begin, std::min(length, room));
        lineCut_ = lineCut_ || length > room;
        const std::size_t consumed = length + (end ? 1 : 0);
        at_ += consumed;
        position_ += consumed;
        if (end)
            break;
    }
    if (!lineCut_ && !line.empty() && line.back() == '\r')
        line.pop_back();
    if (line.size() > kMaxLineBytes) {
        line.resize(kMaxLineBytes);
        lineCut_ = true;
    }
    return read;
}

std::string ImportTextFile::toUtf8(const std::string& field) const {
    return encoding_ == TextEncoding::Utf8 ? field : cp932::decode(field);
}

long long CountImportLines(const std::filesystem::path& path) {
    ImportTextFile file;
    if (!file.open(path))
        return -1;
    long long count = 0;
    std::string line;
    while (file.readLine(line))
        ++count;
    return count;
}

} // namespace kanata
