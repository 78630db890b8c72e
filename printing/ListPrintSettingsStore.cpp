#include "printing/ListPrintSettingsStore.h"

#include "data/Cp932.h"
#include "settings/IniFile.h"

namespace kanata {

std::array<std::string, 3> SelectionItemNames(const IniFile& settings) {
    const char* keys[] = {"SelectItem1", "SelectItem2", "SelectItem3"};
    const char* fallbacks[] = {"内容", "メモ", "受付"};
    std::array<std::string, 3> names;
    for (std::size_t i = 0; i < names.size(); ++i) {
        names[i] = settings.readString("SCREEN VIEW", keys[i]);
        if (cp932::trim(names[i]).empty())
            names[i] = fallbacks[i];
    }
    return names;
}

std::optional<PrintLayout> StoredLayout(const IniFile& settings, PrintSource source) {
    const int itemCount =
        static_cast<int>(PrintItemsOf(source, SelectionItemNames(settings)).size());
    return ReadLayout(settings, LayoutSection(source), itemCount);
}

ListPrintSettings LoadListPrintSettings(const IniFile& settings, PrintSource source) {
    ListPrintSettings s;
    s.format = ReadPrintFormat(settings);
    s.format.source = source;
    s.items = PrintItemsOf(source, SelectionItemNames(settings));
    s.layout = StoredLayout(settings, source).value_or(PrintLayout{});
    s.date = QDate::currentDate();
    return s;
}

} // namespace kanata
