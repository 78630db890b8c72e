#pragma once
// Every piece of SQL that the two engines spell differently, in one place.
// The table layer builds its statements from these; everything else it
// writes, and every condition its callers pass, is SQL both engines take
// (with "?" parameters; the server connection renumbers them).
#include "data/StoreSettings.h"

#include <string>
#include <vector>

namespace kanata::sql {

enum class ColumnKind { Key, Integer, Text, Timestamp };

class Dialect {
public:
    static const Dialect& of(Engine engine);

    Engine engine() const { return engine_; }

    // The column type with its default. Text compares by bytes on both
    // engines (SQLite's BINARY, the server's "C"), so lists sort alike
    // whatever the server's own locale is.
    std::string columnType(ColumnKind kind) const;
    // The ordering term of a case-insensitive index on `column` (quoted),
    // and the parameter compared with it. Both fold ASCII letters only, as
    // SQLite's NOCASE does.
    std::string foldedColumn(const std::string& column) const;
    std::string foldedParameter() const;
    // The name of an index: the server keeps index names per schema, not
    // per table, and the history and the roster have indexes of one name.
    std::string indexName(const std::string& table, const std::string& index) const;
    // A query with one parameter, the table name, giving its column names.
    std::string columnNamesQuery() const;
    // What follows LIMIT when only OFFSET is wanted.
    std::string noLimit() const;
    // Starts a write transaction.
    std::string beginTransaction() const;
    // A statement with one parameter (a name) that takes a lock held until
    // the transaction ends, so that two writers of the same table number
    // their rows one after the other; empty when beginTransaction() already
    // locks the whole store.
    std::string writerLock() const;
    // A statement with two parameters (a channel and a text) that tells every
    // listener of the channel once the transaction commits, and never when
    // it rolls back; empty when the engine has no listeners.
    std::string announcement() const;
    // The statement that refreshes the planner's statistics of `table`
    // (quoted) after a bulk write; empty when the engine needs none.
    std::string analyze(const std::string& table) const;
    // Functions the callers' conditions use that the engine lacks, created
    // when a table is opened and the store has none of that signature yet.
    struct SupportFunction {
        std::string signature;
        std::string definition;
    };
    std::vector<SupportFunction> supportFunctions() const;

private:
    explicit Dialect(Engine engine) : engine_(engine) {}
    Engine engine_;
};

} // namespace kanata::sql
