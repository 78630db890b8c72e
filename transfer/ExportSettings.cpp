#include "transfer/ExportSettings.h"

#include "data/Cp932.h"
#include "settings/IniFile.h"
#include "transfer/TextFields.h"

#include <charconv>

namespace kanata {
namespace {

// A key's item list: the indices between commas; a part that is not an item
// index is skipped, so a hand-edited key cannot name an item that is not there.
std::vector<int> itemsOfKey(const std::string& text) {
    std::vector<int> items;
    const int separators = CountSeparators(text, TextEncoding::Utf8);
    for (const std::string& part :
         SplitFields(text, separators, SplitMode::Split, ',', 0, TextEncoding::Utf8)) {
        const std::string digits = cp932::trim(part);
        int value = -1;
        const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (ec == std::errc{} && ptr == digits.data() + digits.size() && value >= 0 &&
            value < kExportItemCount)
            items.push_back(value);
    }
    return items;
}

int capped(int value, int limit) {
    return value >= 0 && value < limit ? value : 0;
}

} // namespace

const char* ExportLayoutKeyPrefix(ExportSource source) {
    return source == ExportSource::History ? "RecvHisLayout" : "AddMeiboLayout";
}

ExportType ReadExportType(const IniFile& ini) {
    return static_cast<ExportType>(capped(ini.readInteger(kFileExportSection, "Type", 0), 2));
}

ExportSettings ExportSettings::Read(const IniFile& ini) {
    const char* s = kFileExportSection;
    ExportSettings out;
    out.source = static_cast<ExportSource>(capped(ini.readInteger(s, "Source", 0), 2));
    out.range = static_cast<ExportRange>(capped(ini.readInteger(s, "Range", 0), 3));
    out.type = ReadExportType(ini);
    out.options.OutHeader = ini.readBool(s, "OutHeader", true);
    out.options.BindDblQuote = ini.readBool(s, "BindDblQuote", false);
    out.options.EditTelHyphen = ini.readBool(s, "EditTelHyphen", true);
    out.options.EditPosHyphen = ini.readBool(s, "EditPosHyphen", true);
    out.options.EditDate = ini.readBool(s, "EditDate", false);
    out.options.EditTime = ini.readBool(s, "EditTime", false);
    out.options.OutUtf8 = ini.readBool(s, "OutUtf8", false);
    for (int src = 0; src < 2; ++src) {
        const std::string prefix = ExportLayoutKeyPrefix(static_cast<ExportSource>(src));
        for (int n = 1; n <= ExportLayout::kMaxEntries; ++n)
            if (auto value = ini.value(s, prefix + std::to_string(n)))
                out.layouts[static_cast<std::size_t>(src)].addColumn(itemsOfKey(*value));
    }
    return out;
}

void ExportSettings::write(IniFile& ini) const {
    const char* s = kFileExportSection;
    ini.writeInteger(s, "Source", static_cast<int>(source));
    ini.writeInteger(s, "Range", static_cast<int>(range));
    ini.writeInteger(s, "Type", static_cast<int>(type));
    ini.writeBool(s, "OutHeader", options.OutHeader);
    ini.writeBool(s, "BindDblQuote", options.BindDblQuote);
    ini.writeBool(s, "EditTelHyphen", options.EditTelHyphen);
    ini.writeBool(s, "EditPosHyphen", options.EditPosHyphen);
    ini.writeBool(s, "EditDate", options.EditDate);
    ini.writeBool(s, "EditTime", options.EditTime);
    ini.writeBool(s, "OutUtf8", options.OutUtf8);
    for (int src = 0; src < 2; ++src) {
        const std::string prefix = ExportLayoutKeyPrefix(static_cast<ExportSource>(src));
        for (int n = 1; n <= ExportLayout::kMaxEntries; ++n)
            ini.deleteKey(s, prefix + std::to_string(n));
        const std::vector<std::string> keys = layouts[static_cast<std::size_t>(src)].toKeys();
        for (std::size_t n = 0; n < keys.size(); ++n)
            ini.writeString(s, prefix + std::to_string(n + 1), keys[n]);
    }
}

} // namespace kanata
