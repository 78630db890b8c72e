#pragma once
// The connection to the tables' store: a SQLite file, or a PostgreSQL
// server (data/Postgres.h). Callers see one interface for both; every
// failure throws sql::Error with the engine's own text, so a caller cannot
// mistake a failed write for success.
#include "data/StoreSettings.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;

namespace kanata::sql {

class Connection;
class Cursor;
class Dialect;

class Error : public std::runtime_error {
public:
    Error(int code, const std::string& what, bool connectionLost = false)
        : std::runtime_error(what), code_(code), connectionLost_(connectionLost) {}
    // SQLite's result code; 1 (SQLITE_ERROR) for a server's errors.
    int code() const { return code_; }
    // The disk refused the write (full, or an I/O error): nothing after it
    // can be stored either.
    bool diskFailed() const {
        const int primary = code_ & 0xff;
        return primary == 13 /* SQLITE_FULL */ || primary == 10 /* SQLITE_IOERR */;
    }
    // The server's connection is gone (the server stopped, the network
    // failed): the statement may well succeed once it is reconnected.
    bool connectionLost() const { return connectionLost_; }

private:
    int code_;
    bool connectionLost_;
};

// How a reconnection in the background stands (see Database::pollReconnect).
enum class ReconnectStep { WaitRead, WaitWrite, Connected, Failed };
// The name the tables' callers knew when SQLite was the only engine.
using SqliteError = Error;

class Database {
public:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens (create = also creates) the SQLite file and sets the durability
    // the tables rely on: rollback journal (a file copy sees a consistent
    // file), synchronous=FULL (a committed row is on disk), a busy timeout.
    // Reads the schema once, so a file that is not a database fails here and
    // not at the first query. `vfs` names the SQLite VFS to go through
    // (empty = the default).
    void open(const std::filesystem::path& file, bool create, const std::string& vfs = {});
    // Connects to the server instead.
    void connect(const ServerSettings& server);
    // The file on SQLite, the server otherwise.
    void open(const StoreSettings& store, const std::filesystem::path& file, bool create,
              const std::string& vfs = {});
    void close();
    bool isOpen() const { return connection_ != nullptr; }
    Engine engine() const;
    const Dialect& dialect() const;
    // The SQLite handle; null when the store is a server or nothing is open.
    sqlite3* handle() const { return sqlite_; }

    // The server's connection is gone; always false on SQLite.
    bool connectionLost() const;
    // Reads what the server sent meanwhile, without waiting for more: a
    // connection the server has closed (a restart, a crash) is found lost
    // here rather than by the next statement. Nothing is sent.
    void noticeLoss();
    // Reconnects a lost server connection without blocking, behind this same
    // object (its tables and statements stay usable once it is back): start,
    // then poll whenever socket() is ready as the last step asked, until
    // Connected or Failed. The server's error text in `reason` on Failed.
    // startReconnect is false (the reason in `reason`) when the attempt
    // could not even begin.
    bool startReconnect(std::string& reason);
    ReconnectStep pollReconnect(std::string& reason);
    int socket() const;

    void exec(const std::string& sql);
    bool inTransaction() const;
    // Rows changed by the last INSERT, UPDATE or DELETE.
    int changes() const;

private:
    friend class Statement;
    Connection& connection();
    std::unique_ptr<Connection> connection_;
    sqlite3* sqlite_ = nullptr;
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
    // The same without a copy, valid until the next step or reset: for
    // readers of many rows that keep few of their texts.
    std::string_view columnView(int column) const;

private:
    std::unique_ptr<Cursor> cursor_;
};

// A write transaction (see Dialect::beginTransaction for its lock); rolls
// back unless commit() was reached. Inside one that is already open it
// becomes a savepoint of it, so that work which commits on its own can also
// be part of a larger batch (the batch's commit then makes it durable), and
// a failure inside it leaves the batch usable on either engine.
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
