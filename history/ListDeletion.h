#pragma once
// Deleting list rows, each kind in one transaction, so that a failure leaves
// the table as it was and a success is on disk when reported.
#include "history/ListPager.h"

#include <cstdint>
#include <vector>

namespace kanata {

// Deletes the rows of these record numbers; a row that has gone meanwhile
// is skipped. Returns the record numbers actually deleted.
std::vector<std::int64_t> DeleteRowsByRecNo(Table& table, const std::vector<std::int64_t>& keys);

// Deletes every row the filter admits (all rows for an empty filter).
std::int64_t DeleteMatchingRows(Table& table, const RowFilter& filter);

} // namespace kanata
