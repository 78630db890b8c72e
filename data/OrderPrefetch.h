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
#include <thread>
#include <vector>

namespace kanata {

// The record number of the first row of each page of `keys`.
std::vector<std::int64_t> PageStarts(const std::vector<std::int64_t>& keys, int pageSize);

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
    // that sort is under way or done; one asked for before and not started
    // is dropped.
    void request(const Query& query, int pageSize);
    // The page starts of that sort once it is done; nullopt when it failed,
    // was not asked for, or is not done yet: sorting at once on the
    // caller's own connection is then sooner than waiting, and a sort not
    // started is dropped.
    std::optional<std::vector<std::int64_t>> pageStarts(const Query& query, int pageSize);
    // Waits until no sort is asked for or under way.
    void waitUntilIdle();

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

} // namespace kanata
