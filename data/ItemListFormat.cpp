#include "data/ItemListFormat.h"

#include "data/Cp932.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace kanata {
namespace {
// The length byte holds text bytes + 8, so no stored text exceeds 247 bytes
// whatever the item size.
constexpr std::size_t kMaxStoredText = 255 - 8;

std::string invert(std::string bytes) {
    for (char& c : bytes)
        c = static_cast<char>(~static_cast<unsigned char>(c));
    return bytes;
}

void putInt32(std::string& out, std::int32_t value) {
    auto u = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
}

void putDouble(std::string& out, double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
}

std::uint64_t getLittle(const std::string& in, std::size_t pos, int size) {
    std::uint64_t v = 0;
    for (int i = size - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(in[pos + static_cast<std::size_t>(i)]);
    return v;
}
} // namespace

std::string EncodeItemList(const std::vector<THistoryStruct>& items) {
    std::string out;
    putInt32(out, static_cast<std::int32_t>(items.size()));
    for (const THistoryStruct& item : items) {
        const std::string bytes = cp932::cutBytes(cp932::encode(item.text), kMaxStoredText);
        out.push_back(static_cast<char>(bytes.size() + 8));
        putDouble(out, item.date);
        out += invert(bytes);
    }
    return out;
}

bool DecodeItemList(const std::string& data, std::vector<THistoryStruct>& items) {
    items.clear();
    if (data.size() < 4)
        return true;
    const auto count = static_cast<std::int32_t>(getLittle(data, 0, 4));
    if (count < 1)
        return true;
    // A damaged count must not reserve gigabytes: an item takes 9 bytes at least.
    items.reserve(std::min<std::size_t>(static_cast<std::size_t>(count), data.size() / 9));
    std::size_t pos = 4;
    for (std::int32_t n = 0; n < count; ++n) {
        const std::size_t length =
            pos + 9 <= data.size() ? static_cast<unsigned char>(data[pos]) : 0;
        if (length < 8 || pos + 1 + length > data.size()) {
            items.clear();
            return false;
        }
        THistoryStruct item;
        const std::uint64_t bits = getLittle(data, pos + 1, 8);
        std::memcpy(&item.date, &bits, sizeof bits);
        item.text = cp932::decode(cp932::trim(invert(data.substr(pos + 9, length - 8))));
        items.push_back(std::move(item));
        pos += 1 + length;
    }
    return true;
}

} // namespace kanata
