#pragma once
// The columns of a printed list, in print order: which item and how wide.
// The blank item may stand any number of times, every other item once, and
// a layout holds at most 100 columns.
#include "printing/PrintItems.h"

#include <optional>
#include <string>
#include <vector>

namespace kanata {

class IniFile;

struct PrintLayoutEntry {
    int item = 0;
    int width = 1; // 1 to 999 half-width characters
    bool operator==(const PrintLayoutEntry&) const = default;
};

using PrintLayout = std::vector<PrintLayoutEntry>;

inline constexpr std::size_t kMaxLayoutEntries = 100;
inline constexpr int kMaxColumnWidth = 999;

enum class PlaceOutcome { Placed, LayoutFull, AlreadyPlaced };

// Inserts `item` at `position` (clamped to the end) with `width`.
PlaceOutcome PlaceItem(PrintLayout& layout, std::size_t position, int item, int width);
bool IsPlaced(const PrintLayout& layout, int item);
// The items still offered for placing, in item order (the blank always).
std::vector<int> UnplacedItems(const PrintLayout& layout, int itemCount);

// "ItemNo" and "ItemSize" of a layout section: the indices and widths joined
// by ",". Reading accepts the pair only when both keys are present, hold the
// same number of values (at most 100) and every value is a known item and a
// width in range; anything else gives nullopt.
std::optional<PrintLayout> ReadLayout(const IniFile& ini, const std::string& section,
                                      int itemCount);
void WriteLayout(IniFile& ini, const std::string& section, const PrintLayout& layout);

// The settings file's section of the layout in use.
const char* LayoutSection(PrintSource source);

} // namespace kanata
