#include "history/ListDeletion.h"

#include "data/Sqlite.h"

namespace kanata {

std::vector<std::int64_t> DeleteRowsByRecNo(Table& table, const std::vector<std::int64_t>& keys) {
    std::vector<std::int64_t> deleted;
    sql::Transaction tx(table.database());
    for (std::int64_t key : keys)
        if (table.remove(key))
            deleted.push_back(key);
    tx.commit();
    return deleted;
}

std::int64_t DeleteMatchingRows(Table& table, const RowFilter& filter) {
    sql::Transaction tx(table.database());
    const std::int64_t n = table.removeWhere(filter.where, filter.args);
    tx.commit();
    return n;
}

} // namespace kanata
