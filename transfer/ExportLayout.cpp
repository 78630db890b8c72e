#include "transfer/ExportLayout.h"

#include <algorithm>
#include <utility>

namespace kanata {

std::vector<std::vector<int>> ExportLayout::columns() const {
    std::vector<std::vector<int>> out;
    for (const ExportLayoutEntry& e : entries_) {
        if (e.column != 0 || out.empty())
            out.emplace_back();
        out.back().push_back(e.item);
    }
    return out;
}

void ExportLayout::renumber() {
    int column = 0;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        // The first entry always starts a column: nothing is before it.
        if (entries_[i].column != 0 || i == 0)
            entries_[i].column = ++column;
    }
}

bool ExportLayout::set(int row, int item) {
    if (size() >= kMaxEntries)
        return false;
    const int at = std::clamp(row, 0, size());
    entries_.insert(entries_.begin() + at, ExportLayoutEntry{1, item});
    renumber();
    return true;
}

bool ExportLayout::add(int row, int item) {
    if (size() >= kMaxEntries)
        return false;
    const int at = row >= size() ? size() : std::max(row, 0) + 1;
    entries_.insert(entries_.begin() + at, ExportLayoutEntry{0, item});
    renumber();
    return true;
}

bool ExportLayout::setAll(int itemCount) {
    if (itemCount > kMaxEntries)
        return false;
    entries_.clear();
    for (int i = 0; i < itemCount; ++i)
        entries_.push_back({i + 1, i});
    return true;
}

void ExportLayout::remove(int row) {
    if (entries_.empty())
        return;
    const int at = row >= size() || row < 0 ? size() - 1 : row;
    const bool startedColumn = entries_[static_cast<std::size_t>(at)].column != 0;
    entries_.erase(entries_.begin() + at);
    if (startedColumn && at < size())
        entries_[static_cast<std::size_t>(at)].column = 1;
    renumber();
}

bool ExportLayout::moveUp(int row) {
    if (row <= 0 || row >= size())
        return false;
    std::swap(entries_[static_cast<std::size_t>(row)], entries_[static_cast<std::size_t>(row - 1)]);
    renumber();
    return true;
}

bool ExportLayout::moveDown(int row) {
    if (row < 0 || row + 1 >= size())
        return false;
    return moveUp(row + 1);
}

std::vector<std::string> ExportLayout::toKeys() const {
    std::vector<std::string> keys;
    for (const std::vector<int>& column : columns()) {
        std::string text;
        for (int item : column) {
            if (!text.empty())
                text += ',';
            text += std::to_string(item);
        }
        keys.push_back(text);
    }
    return keys;
}

void ExportLayout::addColumn(const std::vector<int>& items) {
    bool first = true;
    for (int item : items) {
        if (size() >= kMaxEntries)
            return;
        entries_.push_back({first ? 1 : 0, item});
        first = false;
    }
    renumber();
}

} // namespace kanata
