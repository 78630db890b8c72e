#include "data/THistoryData.h"

#include "data/Cp932.h"
#include "data/DateTime.h"
#include "data/ItemListFile.h"

namespace kanata {
namespace {
// The length byte holds text bytes + 8, so no stored text exceeds 247 bytes
// whatever the item size.
constexpr std::size_t kMaxStoredText = 255 - 8;

void checkItemSize(int itemSize, const std::filesystem::path& path) {
    if (itemSize < 1 || itemSize > 255)
        throw EHistoryDataError("項目サイズには1～255の値を指定してください\r\n" + path.string());
}
} // namespace

THistoryData::THistoryData(std::filesystem::path path, bool allowMissing, int itemSize,
                           FileFaultHook faults)
    : path_(std::move(path)), itemSize_(itemSize),
      medium_(std::make_unique<ItemListFile>(path_, std::move(faults))) {
    checkItemSize(itemSize, path_);
    if (!allowMissing && !std::filesystem::exists(path_))
        throw EHistoryDataError("ファイルが見つかりません\r\n" + path_.string());
}

THistoryData::THistoryData(std::filesystem::path path, std::unique_ptr<ItemListMedium> medium,
                           int itemSize)
    : path_(std::move(path)), itemSize_(itemSize), medium_(std::move(medium)) {
    checkItemSize(itemSize, path_);
}

THistoryData::~THistoryData() = default;
THistoryData::THistoryData(THistoryData&&) noexcept = default;

bool THistoryData::shared() const {
    return medium_->shared();
}

EHistoryDataError THistoryData::readError() const {
    return EHistoryDataError("データが読み込めませんでした\r\n" + medium_->where());
}

EHistoryDataError THistoryData::writeError() const {
    return EHistoryDataError("データが書き込めませんでした\r\n" + medium_->where());
}

EHistoryDataError THistoryData::accessError(const ItemListAccessError& e) const {
    return e.step() == ItemListAccessError::Step::Read ? readError() : writeError();
}

// Replaces the items by those of `bytes`; a list that ends inside an item
// leaves the list empty and unreadable.
void THistoryData::takeBytes(const std::optional<std::string>& bytes) {
    unreadable_ = false;
    if (!bytes) {
        items_.clear();
        return;
    }
    if (!DecodeItemList(*bytes, items_)) {
        unreadable_ = true;
        throw readError();
    }
}

void THistoryData::Load() {
    std::optional<std::string> bytes;
    try {
        bytes = medium_->read();
    } catch (const ItemListAccessError& e) {
        items_.clear();
        unreadable_ = true;
        throw accessError(e);
    }
    takeBytes(bytes);
}

void THistoryData::Save() const {
    if (unreadable_)
        throw readError();
    try {
        medium_->write(EncodeItemList(items_));
    } catch (const ItemListAccessError& e) {
        throw accessError(e);
    }
}

bool THistoryData::Refresh() {
    if (!shared())
        return false;
    std::optional<ItemListMedium::Stored> stored;
    try {
        stored = medium_->readIfChanged();
    } catch (const ItemListAccessError&) {
        return false;
    }
    return !stored || TakeRefreshed(*stored);
}

bool THistoryData::TakeRefreshed(const ItemListMedium::Stored& bytes) {
    std::vector<THistoryStruct> held = items_;
    const bool wasUnreadable = unreadable_;
    try {
        takeBytes(bytes);
        return true;
    } catch (const EHistoryDataError&) {
        items_ = std::move(held);
        unreadable_ = wasUnreadable;
        return false;
    }
}

bool THistoryData::Update(const std::function<bool(THistoryData&)>& change) {
    if (!shared()) {
        if (!change(*this))
            return false;
        Save();
        return true;
    }
    bool changed = false;
    try {
        medium_->update(
            [&](const std::optional<std::string>& stored) -> std::optional<std::string> {
                takeBytes(stored);
                changed = change(*this);
                if (!changed)
                    return std::nullopt;
                return EncodeItemList(items_);
            });
    } catch (const ItemListAccessError& e) {
        throw accessError(e);
    }
    return changed;
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
