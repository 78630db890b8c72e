#pragma once
// Keeping the user's place when a list page is filled again: the selected
// rows, the caret row and the top row are remembered by record number and
// found again among the new rows.
#include <cstdint>
#include <optional>
#include <vector>

namespace kanata {

struct RememberedSelection {
    std::vector<std::int64_t> selected;
    std::optional<std::int64_t> caret;
    std::optional<std::int64_t> top;
    int topIndex = 0; // used when the top row itself has gone
};

struct RestoredSelection {
    std::vector<int> selected; // display indexes, ascending
    int caret = -1;            // -1: no rows
    bool caretSelected = false;
    int top = 0;
};

// Rows still shown stay selected; the top row stays on top (or the same
// position when it has gone); the caret returns to its row, or when that row
// has gone to the top row, without selecting it.
RestoredSelection RestoreSelection(const std::vector<std::int64_t>& keys,
                                   const RememberedSelection& remembered);

// Display index of a record number among the keys, -1 when not shown.
int IndexOfKey(const std::vector<std::int64_t>& keys, std::optional<std::int64_t> key);

} // namespace kanata
