#pragma once
// The output layout of an export: an ordered list of entries, each naming a
// source item; an entry either starts an output column or continues the
// column before it. Column numbers stay consecutive from 1 in list order.
#include <string>
#include <vector>

namespace kanata {

struct ExportLayoutEntry {
    int column = 0; // 1, 2, ... for an entry that starts a column; 0 continues
    int item = 0;   // source item index 0..27
    bool operator==(const ExportLayoutEntry&) const = default;
};

class ExportLayout {
public:
    static constexpr int kMaxEntries = 100;

    const std::vector<ExportLayoutEntry>& entries() const { return entries_; }
    int size() const { return static_cast<int>(entries_.size()); }
    bool empty() const { return entries_.empty(); }
    // The items of each column, in order.
    std::vector<std::vector<int>> columns() const;

    // Each edit returns false and changes nothing when the layout is full.
    // `row` may be size() (the trailing empty row of the grid).
    bool set(int row, int item); // a new column before `row`
    bool add(int row, int item); // continues the column, after `row`
    bool setAll(int itemCount);  // one column per item
    void remove(int row);        // `row` == size() removes the last
    void clear() { entries_.clear(); }
    bool moveUp(int row); // false when nothing moved
    bool moveDown(int row);

    // The settings form: one text per column, its item indices joined by ",".
    std::vector<std::string> toKeys() const;
    void addColumn(const std::vector<int>& items);

    bool operator==(const ExportLayout&) const = default;

private:
    void renumber();
    std::vector<ExportLayoutEntry> entries_;
};

} // namespace kanata
