#include "data/Sqlite.h"

#include "data/Postgres.h"
#include "data/SqlConnection.h"
#include "data/SqlDialect.h"

#include <sqlite3.h>

namespace kanata::sql {
namespace {
constexpr int kBusyTimeoutMs = 5000;

std::string errorText(sqlite3* db, int rc) {
    std::string text = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    return text.empty() ? sqlite3_errstr(rc) : text;
}

class SqliteCursor final : public Cursor {
public:
    SqliteCursor(sqlite3* db, std::string_view sql) : db_(db) {
        int rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr);
        if (rc != SQLITE_OK)
            fail(rc);
    }
    ~SqliteCursor() override { sqlite3_finalize(stmt_); }

    void bind(int index, std::int64_t value) override {
        check(sqlite3_bind_int64(stmt_, index, value));
    }
    void bind(int index, double value) override { check(sqlite3_bind_double(stmt_, index, value)); }
    void bind(int index, std::string_view text) override {
        check(sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                                SQLITE_TRANSIENT));
    }
    void bindNull(int index) override { check(sqlite3_bind_null(stmt_, index)); }

    bool step() override {
        int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        sqlite3_reset(stmt_);
        fail(rc);
    }
    void reset() override {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }

    int columnCount() const override { return sqlite3_column_count(stmt_); }
    bool isNull(int column) const override {
        return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
    }
    std::int64_t columnInt(int column) const override {
        return sqlite3_column_int64(stmt_, column);
    }
    double columnDouble(int column) const override { return sqlite3_column_double(stmt_, column); }
    std::string_view columnView(int column) const override {
        const unsigned char* text = sqlite3_column_text(stmt_, column);
        int size = sqlite3_column_bytes(stmt_, column);
        return text ? std::string_view(reinterpret_cast<const char*>(text),
                                       static_cast<size_t>(size))
                    : std::string_view();
    }

private:
    void check(int rc) const {
        if (rc != SQLITE_OK)
            fail(rc);
    }
    [[noreturn]] void fail(int rc) const { throw Error(rc, errorText(db_, rc)); }
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

class SqliteConnection final : public Connection {
public:
    explicit SqliteConnection(sqlite3* db) : db_(db) {}
    ~SqliteConnection() override { sqlite3_close_v2(db_); }

    Engine engine() const override { return Engine::Sqlite; }
    void exec(const std::string& sql) override {
        char* message = nullptr;
        int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message);
        if (rc != SQLITE_OK) {
            std::string text = message ? message : errorText(db_, rc);
            sqlite3_free(message);
            throw Error(rc, text);
        }
    }
    bool inTransaction() const override { return sqlite3_get_autocommit(db_) == 0; }
    int changes() const override { return sqlite3_changes(db_); }
    std::unique_ptr<Cursor> prepare(std::string_view sql) override {
        return std::make_unique<SqliteCursor>(db_, sql);
    }

private:
    sqlite3* db_;
};
} // namespace

Database::Database() = default;

Database::~Database() {
    close();
}

void Database::open(const std::filesystem::path& file, bool create, const std::string& vfs) {
    close();
    sqlite3* db = nullptr;
    int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    int rc = sqlite3_open_v2(file.c_str(), &db, flags, vfs.empty() ? nullptr : vfs.c_str());
    if (rc != SQLITE_OK) {
        std::string text = errorText(db, rc);
        sqlite3_close_v2(db);
        throw Error(rc, text);
    }
    connection_ = std::make_unique<SqliteConnection>(db);
    sqlite_ = db;
    try {
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        exec("PRAGMA journal_mode=DELETE");
        exec("PRAGMA synchronous=FULL");
        // Keeps the savepoint journals in memory: a batch that undoes a
        // failed row alone opens a savepoint per row, and each one on disk
        // wrote the pages the row touched to a temporary file again.
        exec("PRAGMA temp_store=MEMORY");
        exec("SELECT count(*) FROM sqlite_master");
    } catch (...) {
        close();
        throw;
    }
}

void Database::connect(const ServerSettings& server) {
    close();
    connection_ = ConnectToServer(server);
}

void Database::open(const StoreSettings& store, const std::filesystem::path& file, bool create,
                    const std::string& vfs) {
    if (store.engine == Engine::Postgresql)
        connect(store.server);
    else
        open(file, create, vfs);
}

void Database::close() {
    connection_.reset();
    sqlite_ = nullptr;
}

Engine Database::engine() const {
    return connection_ ? connection_->engine() : Engine::Sqlite;
}

const Dialect& Database::dialect() const {
    return Dialect::of(engine());
}

Connection& Database::connection() {
    if (!connection_)
        throw Error(SQLITE_MISUSE, "database is not open");
    return *connection_;
}

void Database::exec(const std::string& sql) {
    connection().exec(sql);
}

bool Database::connectionLost() const {
    return connection_ && connection_->lost();
}

void Database::noticeLoss() {
    if (connection_)
        connection_->noticeLoss();
}

bool Database::startReconnect(std::string& reason) {
    return connection().startReconnect(reason);
}

ReconnectStep Database::pollReconnect(std::string& reason) {
    return connection().pollReconnect(reason);
}

int Database::socket() const {
    return connection_ ? connection_->socket() : -1;
}

int Database::changes() const {
    return connection_ ? connection_->changes() : 0;
}

bool Database::inTransaction() const {
    return connection_ && connection_->inTransaction();
}

Statement::Statement(Database& db, std::string_view sql) : cursor_(db.connection().prepare(sql)) {}

Statement::~Statement() = default;

Statement& Statement::bind(int index, std::int64_t value) {
    cursor_->bind(index, value);
    return *this;
}

Statement& Statement::bind(int index, double value) {
    cursor_->bind(index, value);
    return *this;
}

Statement& Statement::bind(int index, std::string_view text) {
    cursor_->bind(index, text);
    return *this;
}

Statement& Statement::bindNull(int index) {
    cursor_->bindNull(index);
    return *this;
}

bool Statement::step() {
    return cursor_->step();
}

void Statement::reset() {
    cursor_->reset();
}

int Statement::columnCount() const {
    return cursor_->columnCount();
}
bool Statement::isNull(int column) const {
    return cursor_->isNull(column);
}
std::int64_t Statement::columnInt(int column) const {
    return cursor_->columnInt(column);
}
double Statement::columnDouble(int column) const {
    return cursor_->columnDouble(column);
}
std::string Statement::columnText(int column) const {
    return std::string(cursor_->columnView(column));
}
std::string_view Statement::columnView(int column) const {
    return cursor_->columnView(column);
}

Transaction::Transaction(Database& db) : db_(db), nested_(db.inTransaction()) {
    db_.exec(nested_ ? "SAVEPOINT nested" : db_.dialect().beginTransaction());
}

Transaction::~Transaction() {
    if (done_)
        return;
    try {
        if (nested_)
            db_.exec("ROLLBACK TO nested; RELEASE nested");
        else if (db_.inTransaction())
            db_.exec("ROLLBACK");
    } catch (const Error&) {
        // Nothing more can be done from a destructor; SQLite rolls back a
        // hot journal on the next open, a server when the connection ends.
    }
}

void Transaction::commit() {
    db_.exec(nested_ ? "RELEASE nested" : "COMMIT");
    done_ = true;
}

} // namespace kanata::sql
