#include "data/SqlDialect.h"

namespace kanata::sql {

const Dialect& Dialect::of(Engine engine) {
    static const Dialect sqlite(Engine::Sqlite);
    static const Dialect server(Engine::Postgresql);
    return engine == Engine::Postgresql ? server : sqlite;
}

std::string Dialect::columnType(ColumnKind kind) const {
    const bool pg = engine_ == Engine::Postgresql;
    switch (kind) {
    case ColumnKind::Key:
        return pg ? "bigint PRIMARY KEY" : "INTEGER PRIMARY KEY";
    case ColumnKind::Integer:
        return pg ? "bigint NOT NULL DEFAULT 0" : "INTEGER NOT NULL DEFAULT 0";
    case ColumnKind::Timestamp:
        return pg ? "text COLLATE \"C\" NOT NULL DEFAULT '1899-12-30 00:00:00.000'"
                  : "TEXT NOT NULL DEFAULT '1899-12-30 00:00:00.000'";
    case ColumnKind::Text:
        break;
    }
    return pg ? "text COLLATE \"C\" NOT NULL DEFAULT ''" : "TEXT NOT NULL DEFAULT ''";
}

// lower() under the "C" collation changes ASCII letters only; the parameter
// needs the collation too, or the database's own locale would fold
// full-width and accented letters that the column side keeps.
std::string Dialect::foldedColumn(const std::string& column) const {
    return engine_ == Engine::Postgresql ? "lower(" + column + ")" : column + " COLLATE NOCASE";
}

std::string Dialect::foldedParameter() const {
    return engine_ == Engine::Postgresql ? "lower(CAST(? AS text) COLLATE \"C\")" : "?";
}

std::string Dialect::indexName(const std::string& table, const std::string& index) const {
    return engine_ == Engine::Postgresql ? table + "_" + index : index;
}

std::string Dialect::columnNamesQuery() const {
    return engine_ == Engine::Postgresql
               ? "SELECT column_name FROM information_schema.columns "
                 "WHERE table_schema = current_schema() AND table_name = lower(CAST(? AS text))"
               : "SELECT name FROM pragma_table_info(?)";
}

std::string Dialect::noLimit() const {
    return engine_ == Engine::Postgresql ? "ALL" : "-1";
}

// SQLite's IMMEDIATE takes the write lock at once, so reading the last
// record number and inserting after it cannot interleave with another
// writer; the server locks per table instead (writerLock).
std::string Dialect::beginTransaction() const {
    return engine_ == Engine::Postgresql ? "BEGIN" : "BEGIN IMMEDIATE";
}

std::string Dialect::writerLock() const {
    return engine_ == Engine::Postgresql
               ? "SELECT pg_advisory_xact_lock(hashtext('kanata195.' || CAST(? AS text)))"
               : std::string();
}

// Until the server has analysed a table its planner guesses the row count
// and sorts the whole table for every ordered page; SQLite's planner does
// well enough without statistics.
std::string Dialect::analyze(const std::string& table) const {
    return engine_ == Engine::Postgresql ? "ANALYZE " + table : std::string();
}

std::string Dialect::announcement() const {
    return engine_ == Engine::Postgresql ? "SELECT pg_notify(?, ?)" : std::string();
}

std::vector<Dialect::SupportFunction> Dialect::supportFunctions() const {
    if (engine_ != Engine::Postgresql)
        return {};
    return {{"instr(text, text)",
             "CREATE OR REPLACE FUNCTION instr(text, text) RETURNS integer "
             "LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS 'SELECT strpos($1, $2)'"}};
}

} // namespace kanata::sql
