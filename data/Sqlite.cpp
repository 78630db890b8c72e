#include "data/Sqlite.h"

#include <sqlite3.h>

namespace kanata::sql {
namespace {
constexpr int kBusyTimeoutMs = 5000;

std::string errorText(sqlite3* db, int rc) {
    std::string text = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    return text.empty() ? sqlite3_errstr(rc) : text;
}
} // namespace

Database::~Database() {
    close();
}

void Database::open(const std::filesystem::path& file, bool create, const std::string& vfs) {
    close();
    int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    int rc = sqlite3_open_v2(file.c_str(), &db_, flags, vfs.empty() ? nullptr : vfs.c_str());
    if (rc != SQLITE_OK) {
        std::string text = errorText(db_, rc);
        close();
        throw SqliteError(rc, text);
    }
    try {
        sqlite3_busy_timeout(db_, kBusyTimeoutMs);
        exec("PRAGMA journal_mode=DELETE");
        exec("PRAGMA synchronous=FULL");
        exec("SELECT count(*) FROM sqlite_master");
    } catch (...) {
        close();
        throw;
    }
}

void Database::close() {
    if (db_)
        sqlite3_close_v2(db_);
    db_ = nullptr;
}

void Database::exec(const std::string& sql) {
    if (!db_)
        throw SqliteError(SQLITE_MISUSE, "database is not open");
    char* message = nullptr;
    int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        std::string text = message ? message : errorText(db_, rc);
        sqlite3_free(message);
        throw SqliteError(rc, text);
    }
}

int Database::changes() const {
    return db_ ? sqlite3_changes(db_) : 0;
}

bool Database::inTransaction() const {
    return db_ && sqlite3_get_autocommit(db_) == 0;
}

Statement::Statement(Database& db, std::string_view sql) : db_(db) {
    if (!db.handle())
        throw SqliteError(SQLITE_MISUSE, "database is not open");
    int rc =
        sqlite3_prepare_v2(db.handle(), sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr);
    if (rc != SQLITE_OK)
        fail(rc);
}

Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

void Statement::fail(int rc) const {
    throw SqliteError(rc, errorText(db_.handle(), rc));
}

Statement& Statement::bind(int index, std::int64_t value) {
    int rc = sqlite3_bind_int64(stmt_, index, value);
    if (rc != SQLITE_OK)
        fail(rc);
    return *this;
}

Statement& Statement::bind(int index, double value) {
    int rc = sqlite3_bind_double(stmt_, index, value);
    if (rc != SQLITE_OK)
        fail(rc);
    return *this;
}

Statement& Statement::bind(int index, std::string_view text) {
    int rc = sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                               SQLITE_TRANSIENT);
    if (rc != SQLITE_OK)
        fail(rc);
    return *this;
}

Statement& Statement::bindNull(int index) {
    int rc = sqlite3_bind_null(stmt_, index);
    if (rc != SQLITE_OK)
        fail(rc);
    return *this;
}

bool Statement::step() {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(stmt_);
    fail(rc);
}

void Statement::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

int Statement::columnCount() const {
    return sqlite3_column_count(stmt_);
}
bool Statement::isNull(int column) const {
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}
std::int64_t Statement::columnInt(int column) const {
    return sqlite3_column_int64(stmt_, column);
}
double Statement::columnDouble(int column) const {
    return sqlite3_column_double(stmt_, column);
}
std::string Statement::columnText(int column) const {
    const unsigned char* text = sqlite3_column_text(stmt_, column);
    int size = sqlite3_column_bytes(stmt_, column);
    return text ? std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(size))
                : std::string();
}

Transaction::Transaction(Database& db) : db_(db), nested_(db.inTransaction()) {
    db_.exec(nested_ ? "SAVEPOINT nested" : "BEGIN IMMEDIATE");
}

Transaction::~Transaction() {
    if (done_)
        return;
    try {
        if (nested_)
            db_.exec("ROLLBACK TO nested; RELEASE nested");
        else if (db_.inTransaction())
            db_.exec("ROLLBACK");
    } catch (const SqliteError&) {
        // Nothing more can be done from a destructor; SQLite rolls back a
        // hot journal on the next open.
    }
}

void Transaction::commit() {
    db_.exec(nested_ ? "RELEASE nested" : "COMMIT");
    done_ = true;
}

} // namespace kanata::sql
