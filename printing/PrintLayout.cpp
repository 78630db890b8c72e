#include "printing/PrintLayout.h"

#include "settings/IniFile.h"
#include "transfer/TextFields.h"

#include <algorithm>
#include <charconv>

namespace kanata {

namespace {

// The values of a comma-joined list; nullopt when one is not a number.
std::optional<std::vector<int>> SplitNumbers(const std::string& text) {
    std::vector<int> values;
    if (text.empty())
        return values;
    const int separators = CountSeparators(text, TextEncoding::Utf8);
    for (const std::string& piece :
         SplitFields(text, separators, SplitMode::Split, ',', 0, TextEncoding::Utf8)) {
        const auto first = piece.find_first_not_of(' ');
        const auto last = piece.find_last_not_of(' ');
        if (first == std::string::npos)
            return std::nullopt;
        const std::string_view digits(piece.data() + first, last - first + 1);
        int value = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (ec != std::errc{} || end != digits.data() + digits.size())
            return std::nullopt;
        values.push_back(value);
    }
    return values;
}

std::string Join(const PrintLayout& layout, int PrintLayoutEntry::*field) {
    std::string text;
    for (const PrintLayoutEntry& e : layout) {
        if (!text.empty())
            text += ',';
        text += std::to_string(e.*field);
    }
    return text;
}

} // namespace

bool IsPlaced(const PrintLayout& layout, int item) {
    return std::any_of(layout.begin(), layout.end(),
                       [item](const PrintLayoutEntry& e) { return e.item == item; });
}

PlaceOutcome PlaceItem(PrintLayout& layout, std::size_t position, int item, int width) {
    if (layout.size() >= kMaxLayoutEntries)
        return PlaceOutcome::LayoutFull;
    if (item != kBlankItem && IsPlaced(layout, item))
        return PlaceOutcome::AlreadyPlaced;
    position = std::min(position, layout.size());
    layout.insert(layout.begin() + static_cast<std::ptrdiff_t>(position),
                  {item, std::clamp(width, 1, kMaxColumnWidth)});
    return PlaceOutcome::Placed;
}

std::vector<int> UnplacedItems(const PrintLayout& layout, int itemCount) {
    std::vector<int> items;
    for (int i = 0; i < itemCount; ++i)
        if (i == kBlankItem || !IsPlaced(layout, i))
            items.push_back(i);
    return items;
}

std::optional<PrintLayout> ReadLayout(const IniFile& ini, const std::string& section,
                                      int itemCount) {
    const auto numbers = ini.value(section, "ItemNo");
    const auto sizes = ini.value(section, "ItemSize");
    if (!numbers || !sizes)
        return std::nullopt;
    const auto items = SplitNumbers(*numbers);
    const auto widths = SplitNumbers(*sizes);
    if (!items || !widths || items->size() != widths->size() || items->size() > kMaxLayoutEntries)
        return std::nullopt;
    PrintLayout layout;
    for (std::size_t i = 0; i < items->size(); ++i) {
        const int item = (*items)[i];
        const int width = (*widths)[i];
        if (item < 0 || item >= itemCount || width < 1 || width > kMaxColumnWidth ||
            (item != kBlankItem && IsPlaced(layout, item)))
            return std::nullopt;
        layout.push_back({item, width});
    }
    return layout;
}

void WriteLayout(IniFile& ini, const std::string& section, const PrintLayout& layout) {
    ini.writeString(section, "ItemNo", Join(layout, &PrintLayoutEntry::item));
    ini.writeString(section, "ItemSize", Join(layout, &PrintLayoutEntry::width));
}

const char* LayoutSection(PrintSource source) {
    return source == PrintSource::History ? "LIST PRINT LAYOUT RECVHIS" : "LIST PRINT LAYOUT MEIBO";
}

} // namespace kanata
