#include "lookup/DicData.h"

#include "data/Cp932.h"
#include "data/Cp932Table.h"

#include <array>
#include <cstring>
#include <stdexcept>

namespace kanata {
namespace {

struct OpenFolders {
    std::mutex mutex;
    std::map<std::string, std::shared_ptr<const AddressDictionary>, std::less<>> byFolder;
};

OpenFolders& openFolders() {
    static OpenFolders folders;
    return folders;
}

} // namespace

namespace dicdata {

std::shared_ptr<const AddressDictionary> Open(const char* folder, std::string* failure) {
    if (!folder) {
        if (failure)
            *failure = "no dictionary folder";
        return nullptr;
    }
    OpenFolders& open = openFolders();
    const std::lock_guard lock(open.mutex);
    // Every call names its folder: found without building its name again.
    if (const auto it = open.byFolder.find(std::string_view(folder));
        it != open.byFolder.end() && it->second)
        return it->second;
    auto& slot = open.byFolder[folder];
    try {
        auto data = std::make_shared<const AddressDictionary>(Text(folder));
        slot = data;
        return data;
    } catch (const std::exception& e) {
        if (failure)
            *failure = e.what();
        return nullptr;
    }
}

AddressCall CompleteAddress(const char* address, const char* folder) {
    AddressCall call;
    call.text = cp932::trim(Text(address));
    if (call.text.empty()) {
        call.code = kDlBadInput;
        return call;
    }
    call.data = Open(folder);
    if (!call.data) {
        call.code = kDlNoData;
        return call;
    }
    call.completion = call.data->Complete(call.text);
    return call;
}

std::string Text(const char* cp932) {
    return cp932 ? cp932::decode(cp932) : std::string();
}

void Put(char* slot, std::size_t size, std::string_view utf8) {
    // The records are filled slot by slot, thousands a second: the tables
    // write a text that fits straight into its slot; one that must be cut,
    // or holds what only iconv knows, takes the converter and the cut.
    const cp932::table::Converted done = cp932::table::encodeInto(utf8, slot, size);
    if (done.read == utf8.size()) {
        std::memset(slot + done.written, 0, size - done.written);
        return;
    }
    const std::string bytes = cp932::cutBytes(cp932::encode(utf8), size);
    std::memset(slot, 0, size);
    std::memcpy(slot, bytes.data(), bytes.size());
}

std::string Get(const char* slot, std::size_t size) {
    const void* nul = std::memchr(slot, '\0', size);
    const std::string_view bytes(
        slot, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - slot) : size);
    // Decoded on the stack and trimmed there, so that the result is the one
    // string made; slots are short, a longer text takes the converter.
    char utf8[cp932::table::kDecodeRoom * 128 + cp932::table::kDecodeSlack];
    if (bytes.size() > 128)
        return cp932::trim(cp932::decode(bytes));
    const cp932::table::Converted done = cp932::table::decodeInto(bytes, utf8);
    if (done.read != bytes.size())
        return cp932::trim(cp932::decode(bytes));
    std::size_t b = 0, e = done.written;
    while (e > b && static_cast<unsigned char>(utf8[e - 1]) <= 0x20)
        --e;
    while (b < e && static_cast<unsigned char>(utf8[b]) <= 0x20)
        ++b;
    return std::string(utf8 + b, e - b);
}

std::string PrefectureOfJis(std::string_view jis) {
    static constexpr std::array<const char*, 47> kPrefectures = {
        "北海道", "青森県", "岩手県", "宮城県", "秋田県", "山形県",   "福島県", "茨城県",
        "栃木県", "群馬県", "埼玉県", "千葉県", "東京都", "神奈川県", "新潟県", "富山県",
        "石川県", "福井県", "山梨県", "長野県", "岐阜県", "静岡県",   "愛知県", "三重県",
        "滋賀県", "京都府", "大阪府", "兵庫県", "奈良県", "和歌山県", "鳥取県", "島根県",
        "岡山県", "広島県", "山口県", "徳島県", "香川県", "愛媛県",   "高知県", "福岡県",
        "佐賀県", "長崎県", "熊本県", "大分県", "宮崎県", "鹿児島県", "沖縄県"};
    if (jis.size() < 2 || jis[0] < '0' || jis[0] > '9' || jis[1] < '0' || jis[1] > '9')
        return {};
    const int number = (jis[0] - '0') * 10 + (jis[1] - '0');
    return number >= 1 && number <= 47 ? kPrefectures[static_cast<std::size_t>(number - 1)] : "";
}

} // namespace dicdata

DicDataUse::DicDataUse(const std::string& folderCp932) {
    std::string failure;
    data_ = dicdata::Open(folderCp932.c_str(), &failure);
    if (!data_)
        throw std::runtime_error(failure);
}

} // namespace kanata
