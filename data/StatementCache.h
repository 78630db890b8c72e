#pragma once
// Prepared statements of one connection kept by their SQL text: the call
// processing asks the roster and the history the same few questions for
// every call, and preparing them again costs more than answering them.
#include "data/Sqlite.h"

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>

namespace kanata::sql {

// A statement lent for one use: reset (its read ended, its parameters
// cleared) when the lease ends, however that happens.
class StatementLease {
public:
    explicit StatementLease(std::shared_ptr<Statement> statement)
        : statement_(std::move(statement)) {}
    ~StatementLease() { statement_->reset(); }
    StatementLease(const StatementLease&) = delete;
    StatementLease& operator=(const StatementLease&) = delete;

    Statement& operator*() const { return *statement_; }
    Statement* operator->() const { return statement_.get(); }

private:
    std::shared_ptr<Statement> statement_;
};

class StatementCache {
public:
    static constexpr std::size_t kDefaultCapacity = 32;

    explicit StatementCache(std::size_t capacity = kDefaultCapacity) : capacity_(capacity) {}

    // The statement for `sql` on `db`, prepared on first use. A statement
    // still lent out (the same text asked for again while in use) is not
    // shared: the second asker gets one of its own.
    StatementLease lease(Database& db, const std::string& sql);
    // Before the connection closes or opens another file.
    void clear() { statements_.clear(); }
    std::size_t size() const { return statements_.size(); }

private:
    std::size_t capacity_;
    std::unordered_map<std::string, std::shared_ptr<Statement>> statements_;
};

} // namespace kanata::sql
