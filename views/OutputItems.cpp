#include "views/OutputItems.h"

#include "data/Cp932.h"
#include "settings/IniFile.h"

#include <optional>

namespace kanata {
namespace {

struct ItemRow {
    const char* roster;
    const char* addressBook;
    bool output;
};

constexpr std::array<ItemRow, kOutputItemCount> kItems{{
    {"区分", "区分", false},
    {"前回着信日付", "前回着信日付", false},
    {"前回着信時刻", "前回着信時刻", false},
    {"着信日付", "着信日付", true},
    {"着信時刻", "着信時刻", true},
    {"電話番号１", "着信電話番号", true},
    {"電話番号２", "他の電話番号", false},
    {"郵便番号", "郵便番号", true},
    {"住所", "住所", true},
    {"市町村コード", "市町村コード", false},
    {"会社名カナ", "会社名カナ", true},
    {"会社名漢字", "会社名漢字", true},
    {"名前カナ", "名前カナ", true},
    {"名前漢字", "名前漢字", true},
    {"個人法人区分", "個人法人区分", false},
    {"登録メモ１", "登録メモ１", false},
    {"登録メモ２", "登録メモ２", false},
    {"登録メモ３", "登録メモ３", false},
    {"メールアドレス", "メールアドレス", false},
    {"ランク", "ランク", false},
    {"内容", "内容", false},
    {"メモ", "メモ", false},
    {"受付", "受付", false},
    {"外部リンク", "外部リンク", false},
    {"備考", "備考", false},
}};

std::vector<std::string> splitList(const std::string& text) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : text) {
        if (c == ',') {
            parts.push_back(cp932::trim(current));
            current.clear();
        } else {
            current += c;
        }
    }
    parts.push_back(cp932::trim(current));
    return parts;
}

// The codes of a stored order, or nothing when the list is not exactly the
// 25 codes each once: a code out of range or twice would leave an item out
// or point past the table.
std::optional<std::array<int, kOutputItemCount>> readCodes(const IniFile& ini, const char* key) {
    const auto parts = splitList(ini.readString(kOutputSection, key));
    if (parts.size() != kOutputItemCount)
        return std::nullopt;
    std::array<int, kOutputItemCount> codes{};
    std::array<bool, kOutputItemCount> seen{};
    for (int i = 0; i < kOutputItemCount; ++i) {
        const int code = IniFile::parseInteger(parts[i], -1);
        if (code < 0 || code >= kOutputItemCount || seen[code])
            return std::nullopt;
        seen[code] = true;
        codes[i] = code;
    }
    return codes;
}

OutputItemOrder readOrder(const IniFile& ini, const char* indexKey, const char* outputKey) {
    OutputItemOrder order = DefaultOutputOrder();
    const auto codes = readCodes(ini, indexKey);
    if (!codes)
        return order; // the flags follow the order back to the defaults
    for (int i = 0; i < kOutputItemCount; ++i)
        order[i] = {(*codes)[i], (*codes)[i], kItems[(*codes)[i]].output};
    const auto flags = splitList(ini.readString(kOutputSection, outputKey));
    if (flags.size() == kOutputItemCount) {
        for (int i = 0; i < kOutputItemCount; ++i)
            order[i].output = flags[i] == "1";
    }
    return order;
}

void writeOrder(IniFile& ini, const OutputItemOrder& order, const char* indexKey,
                const char* outputKey) {
    std::string codes, flags;
    for (int i = 0; i < kOutputItemCount; ++i) {
        if (i > 0) {
            codes += ',';
            flags += ',';
        }
        codes += std::to_string(order[i].code);
        flags += order[i].output ? '1' : '0';
    }
    ini.writeString(kOutputSection, indexKey, codes);
    ini.writeString(kOutputSection, outputKey, flags);
}

} // namespace

std::string OutputItemName(int code, bool addressBookMode) {
    if (code < 0 || code >= kOutputItemCount)
        return {};
    return addressBookMode ? kItems[code].addressBook : kItems[code].roster;
}

bool OutputItemDefault(int code) {
    return code >= 0 && code < kOutputItemCount && kItems[code].output;
}

OutputItemOrder DefaultOutputOrder() {
    OutputItemOrder order{};
    for (int i = 0; i < kOutputItemCount; ++i)
        order[i] = {i, i, kItems[i].output};
    return order;
}

std::array<std::string, OutputItemSettings::kMemoItemCount> OutputItemSettings::DefaultMemoItems() {
    return {"お電話がありました", "折り返しお電話ください", "再度お電話します",
            "メールをご確認ください", "来訪されました"};
}

OutputItemSettings OutputItemSettings::Load(const IniFile& ini) {
    OutputItemSettings s;
    s.roster = readOrder(ini, "ItemIndex", "ItemOutput");
    s.addressBook = readOrder(ini, "ItemIndexPb", "ItemOutputPb");
    s.PrintMsg = ini.readBool(kOutputSection, "PrintMsg", true);
    s.FontName = ini.readString(kOutputSection, "FontName", kDefaultFontName);
    if (cp932::trim(s.FontName).empty())
        s.FontName = kDefaultFontName;
    s.FontSize = ini.readInteger(kOutputSection, "FontSize", 2);
    if (s.FontSize < 0 || s.FontSize >= kFontSizeCount)
        s.FontSize = 2;
    s.FontStyle = ini.readInteger(kOutputSection, "FontStyle", 0);
    if (s.FontStyle < 0 || s.FontStyle > 3)
        s.FontStyle = 0;
    s.FontCharset = ini.readInteger(kOutputSection, "FontCharset", 128);
    if (s.FontCharset != 0)
        s.FontCharset = 128;
    s.MemoTitle = ini.readString(kOutputSection, "MemoTitle", DefaultMemoTitle());
    const auto items = DefaultMemoItems();
    for (int i = 0; i < kMemoItemCount; ++i)
        s.MemoItems[i] =
            ini.readString(kOutputSection, "MemoItem" + std::to_string(i + 1), items[i]);
    s.MemoTelPos = ini.readInteger(kOutputSection, "MemoTelPos", 2);
    if (s.MemoTelPos < 0 || s.MemoTelPos > kMemoItemCount)
        s.MemoTelPos = 2;
    s.MemoPrintMsg = ini.readBool(kOutputSection, "MemoPrintMsg", true);
    s.InitTab = ini.readInteger(kOutputSection, "InitTab", 0);
    if (s.InitTab < 0 || s.InitTab > 2)
        s.InitTab = 0;
    return s;
}

void OutputItemSettings::Save(IniFile& ini) const {
    writeOrder(ini, roster, "ItemIndex", "ItemOutput");
    writeOrder(ini, addressBook, "ItemIndexPb", "ItemOutputPb");
    ini.writeBool(kOutputSection, "PrintMsg", PrintMsg);
    ini.writeString(kOutputSection, "FontName", FontName);
    ini.writeInteger(kOutputSection, "FontSize", FontSize);
    ini.writeInteger(kOutputSection, "FontStyle", FontStyle);
    ini.writeInteger(kOutputSection, "FontCharset", FontCharset);
    ini.writeString(kOutputSection, "MemoTitle", MemoTitle);
    for (int i = 0; i < kMemoItemCount; ++i)
        ini.writeString(kOutputSection, "MemoItem" + std::to_string(i + 1), MemoItems[i]);
    ini.writeInteger(kOutputSection, "MemoTelPos", MemoTelPos);
    ini.writeBool(kOutputSection, "MemoPrintMsg", MemoPrintMsg);
    ini.writeInteger(kOutputSection, "InitTab", InitTab);
}

std::string BuildOutputLine(const std::array<std::string, kOutputItemCount>& values,
                            const OutputItemOrder& order) {
    std::string line;
    bool first = true;
    for (const OutputItem& item : order) {
        if (!item.output || item.code < 0 || item.code >= kOutputItemCount)
            continue;
        if (!first)
            line += ',';
        line += values[item.code];
        first = false;
    }
    return line;
}

} // namespace kanata
