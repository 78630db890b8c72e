#include "history/ListSelection.h"

#include <algorithm>

namespace kanata {

int IndexOfKey(const std::vector<std::int64_t>& keys, std::optional<std::int64_t> key) {
    if (!key)
        return -1;
    auto it = std::find(keys.begin(), keys.end(), *key);
    return it == keys.end() ? -1 : static_cast<int>(it - keys.begin());
}

RestoredSelection RestoreSelection(const std::vector<std::int64_t>& keys,
                                   const RememberedSelection& remembered) {
    RestoredSelection out;
    if (keys.empty())
        return out;
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (std::find(remembered.selected.begin(), remembered.selected.end(), keys[i]) !=
            remembered.selected.end())
            out.selected.push_back(static_cast<int>(i));
    const int last = static_cast<int>(keys.size()) - 1;
    const int top = IndexOfKey(keys, remembered.top);
    out.top = top >= 0 ? top : std::clamp(remembered.topIndex, 0, last);
    const int caret = IndexOfKey(keys, remembered.caret);
    if (caret >= 0) {
        out.caret = caret;
        out.caretSelected =
            std::find(out.selected.begin(), out.selected.end(), caret) != out.selected.end();
    } else {
        out.caret = out.top;
        out.caretSelected = false;
    }
    return out;
}

} // namespace kanata
