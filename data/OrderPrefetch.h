#pragma once
// Sorts the whole order of a condition on a server on a connection and a
// thread of its own, while a list shows its page, so that a page asked for
// by number later starts from a marked row instead of waiting for the sort
// of every admitted row. One per table, kept with it, so that its
// connection is made once and the server's caches stay warm for it.
#include "data/Table.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kanata {

// The first row of each page of a whole order, as one sort found them.
struct OrderMarks {
    std::vector<std::int64_t> starts; // record numbers
    std::int64_t admitted = 0;        // rows in the order
    // What the server had committed when the sort read the rows (see
    // Table::committedState); nullopt when a commit came during the sort.
    std::optional<std::string> committed;
};

// The record numbers of a whole order, and what the server had committed
// while they were read (nullopt when a commit came meanwhile).
struct OrderRead {
    std::vector<std::int64_t> keys;
    std::optional<std::string> committed;
};
OrderRead ReadWholeOrder(Table& table, const Query& query);
OrderMarks MarkPages(const OrderRead& order, int pageSize);

class OrderPrefetch {
public:
    // Reads `table`'s rows on another connection to its server, made at the
    // first sort (std::logic_error on SQLite).
    explicit OrderPrefetch(const Table& table);
    // Does not wait for a sort under way, which a lost server can hold for
    // seconds: it ends on its own and closes its connection.
    ~OrderPrefetch();
    OrderPrefetch(const OrderPrefetch&) = delete;
    OrderPrefetch& operator=(const OrderPrefetch&) = delete;

    // Starts sorting `query`'s whole order into pages of `pageSize`, unless
    // that sort is under way, or done and not `stale` (the server has
    // committed since); one asked for before and not started is dropped.
    void request(const Query& query, int pageSize, bool stale = false);
    // The marks of that sort once it is done; nullopt when it failed, was
    // not asked for, or is not done yet.
    std::optional<OrderMarks> marks(const Query& query, int pageSize);
    // Drops that sort if it has not started: the caller sorts at once on
    // its own connection, which is sooner than waiting.
    void dropUnstarted(const Query& query, int pageSize);
    // Waits until no sort is asked for or under way.
    void waitUntilIdle();

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

} // namespace kanata
