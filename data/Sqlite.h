#pragma once
// A thin owner of SQLite handles. Every failure throws SqliteError with the
// engine's own text, so a caller cannot mistake a failed write for success.
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace kanata::sql {

class SqliteError : public std::runtime_error {
public:
    SqliteError(int code, const std::string& what) : std::runtime_error(what), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

class Database {
public:
    Database() = default;
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens (create = also creates) the file and sets the durability the
    // tables rely on: rollback journal (a file copy sees a consistent file),
    // synchronous=FULL (a committed row is on disk), a busy timeout. Reads
    // the schema once, so a file that is not a database fails here and not
    // at the first query. `vfs` names the SQLite VFS to go through (empty =
    // the default).
    void open(const std::filesystem::path& file, bool create, const std::string& vfs = {});
    void close();
    bool isOpen() const { return db_ != nullptr; }
    sqlite3* handle() const { return db_; }

    void exec(const std::string& sql);
    bool inTransaction() const;
    // Rows changed by the last INSERT, UPDATE or DELETE.
    int changes() const;

private:
    sqlite3* db_ = nullptr;
};

class Statement {
public:
    Statement(Database& db, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Parameters count from 1, as in SQLite.
    Statement& bind(int index, std::int64_t value);
    Statement& bind(int index, int value) { return bind(index, static_cast<std::int64_t>(value)); }
    Statement& bind(int index, double value);
    Statement& bind(int index, std::string_view text);
    Statement& bindNull(int index);

    // True while a row is available; false once done.
    bool step();
    void reset();

    // Columns count from 0.
    int columnCount() const;
    bool isNull(int column) const;
    std::int64_t columnInt(int column) const;
    double columnDouble(int column) const;
    std::string columnText(int column) const;

private:
    [[noreturn]] void fail(int rc) const;
    Database& db_;
    sqlite3_stmt* stmt_ = nullptr;
};

// BEGIN IMMEDIATE on construction (the write lock is taken at once, so the
// read of the last record number and the insert cannot interleave with
// another writer); rolls back unless commit() was reached.
// A write transaction; inside one that is already open it becomes a
// savepoint of it, so that work which commits on its own can also be part
// of a larger batch (the batch's commit then makes it durable).
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Database& db_;
    bool nested_ = false;
    bool done_ = false;
};

} // namespace kanata::sql
