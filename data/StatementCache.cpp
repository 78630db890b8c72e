#include "data/StatementCache.h"

namespace kanata::sql {

StatementLease StatementCache::lease(Database& db, const std::string& sql) {
    if (auto known = statements_.find(sql); known != statements_.end()) {
        if (known->second.use_count() == 1)
            return StatementLease(known->second);
        return StatementLease(std::make_shared<Statement>(db, sql));
    }
    auto statement = std::make_shared<Statement>(db, sql);
    // Texts with literal limits and offsets vary; starting afresh keeps the
    // bound, and the statements in use come back at their next call. A
    // statement lent out lives on in its lease.
    if (statements_.size() >= capacity_)
        statements_.clear();
    if (capacity_ > 0)
        statements_.emplace(sql, statement);
    return StatementLease(std::move(statement));
}

} // namespace kanata::sql
