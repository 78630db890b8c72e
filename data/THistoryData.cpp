#include "data/THistoryData.h"

#include "data/Cp932.h"
#include "data/DateTime.h"
#include "platform/DurableFile.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

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

THistoryData::THistoryData(std::filesystem::path path, bool allowMissing, int itemSize,
                           FileFaultHook faults)
    : path_(std::move(path)), itemSize_(itemSize), faults_(std::move(faults)) {
    if (itemSize < 1 || itemSize > 255)
        throw EHistoryDataError("項目サイズには1～255の値を指定してください\r\n" + path_.string());
    if (!allowMissing && !std::filesystem::exists(path_))
        throw EHistoryDataError("ファイルが見つかりません\r\n" + path_.string());
}

EHistoryDataError THistoryData::readError() const {
    return EHistoryDataError("データが読み込めませんでした\r\n" + path_.string());
}

int THistoryData::fault(FileAccess access) const {
    return faults_ ? faults_(path_, access) : 0;
}

void THistoryData::Load() {
    items_.clear();
    unreadable_ = false;
    std::ifstream file(path_, std::ios::binary);
    if (!file)
        return; // a missing file is an empty list
    const std::string data((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    const auto failed = [&] {
        items_.clear();
        unreadable_ = true;
        return readError();
    };
    if (file.bad() || fault(FileAccess::Read) != 0)
        throw failed();
    if (data.size() < 4)
        return;
    const auto count = static_cast<std::int32_t>(getLittle(data, 0, 4));
    if (count < 1)
        return;
    // A damaged count must not reserve gigabytes: an item takes 9 bytes at least.
    items_.reserve(std::min<std::size_t>(static_cast<std::size_t>(count), data.size() / 9));
    std::size_t pos = 4;
    for (std::int32_t n = 0; n < count; ++n) {
        if (pos + 9 > data.size())
            throw failed();
        const std::size_t length = static_cast<unsigned char>(data[pos]);
        if (length < 8 || pos + 1 + length > data.size())
            throw failed();
        THistoryStruct item;
        const std::uint64_t bits = getLittle(data, pos + 1, 8);
        std::memcpy(&item.date, &bits, sizeof bits);
        item.text = cp932::decode(cp932::trim(invert(data.substr(pos + 9, length - 8))));
        items_.push_back(std::move(item));
        pos += 1 + length;
    }
}

void THistoryData::Save() const {
    if (unreadable_)
        throw readError();
    std::string out;
    putInt32(out, static_cast<std::int32_t>(items_.size()));
    for (const THistoryStruct& item : items_) {
        const std::string bytes = cp932::cutBytes(cp932::encode(item.text), kMaxStoredText);
        out.push_back(static_cast<char>(bytes.size() + 8));
        putDouble(out, item.date);
        out += invert(bytes);
    }
    const auto writeError = [&] {
        return EHistoryDataError("データが書き込めませんでした\r\n" + path_.string());
    };
    std::error_code ec;
    if (path_.has_parent_path())
        std::filesystem::create_directories(path_.parent_path(), ec);
    if (fault(FileAccess::Write) != 0)
        throw writeError();
    std::filesystem::path temporary = path_;
    temporary += ".tmp";
    if (writeFileDurably(path_, out, {.temporary = temporary}))
        throw writeError();
}

void THistoryData::checkIndex(int index, int limit) const {
    if (index < 0 || index >= limit)
        throw EHistoryDataError("Indexが範囲外です");
}

const std::string& THistoryData::Get(int index) const {
    checkIndex(index, Count());
    return items_[static_cast<std::size_t>(index)].text;
}

double THistoryData::DateOf(int index) const {
    checkIndex(index, Count());
    return items_[static_cast<std::size_t>(index)].date;
}

int THistoryData::IndexOf(const std::string& text) const {
    for (int i = 0; i < Count(); ++i)
        if (items_[static_cast<std::size_t>(i)].text == text)
            return i;
    return -1;
}

void THistoryData::Insert(int index, const std::string& text, double date) {
    checkIndex(index, Count() + 1);
    const std::size_t limit =
        std::min<std::size_t>(static_cast<std::size_t>(itemSize_), kMaxStoredText);
    THistoryStruct item;
    item.text = cp932::decode(cp932::cutBytes(cp932::encode(text), limit));
    item.date = date == 0 ? DateTime::now().toDays() : date;
    items_.insert(items_.begin() + index, std::move(item));
}

int THistoryData::Add(const std::string& text, double date) {
    Insert(Count(), text, date);
    return Count() - 1;
}

void THistoryData::Delete(int index) {
    checkIndex(index, Count());
    items_.erase(items_.begin() + index);
}

} // namespace kanata
