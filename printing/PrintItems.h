#pragma once
// The items a printed list can show, per source: caption, default column
// width and data size (widths in half-width characters), and the shorter
// caption the header row prints.
#include <array>
#include <string>
#include <vector>

namespace kanata {

enum class PrintSource { History = 0, Roster = 1 };

struct PrintItem {
    std::string caption;
    int defaultWidth = 0;
    int dataSize = 0; // 0 for fixed-format items, 999 for unlimited text
};

// Index 0 of both lists is the blank column, index 1 the running number.
inline constexpr int kBlankItem = 0;
inline constexpr int kSerialItem = 1;

// The history's 26 items; 11 to 13 carry the selection items' names.
std::vector<PrintItem> HistoryPrintItems(const std::array<std::string, 3>& selectionNames);
// The roster's 27 items.
std::vector<PrintItem> RosterPrintItems();
std::vector<PrintItem> PrintItemsOf(PrintSource source,
                                    const std::array<std::string, 3>& selectionNames);

// The header caption of item `index`: its short form where one exists.
std::string HeaderCaption(PrintSource source, int index, const std::string& caption);

} // namespace kanata
