#pragma once
// The writes of an import on one table, inside the import's own batch
// transactions: inserts with a given record number, rewrites of a whole
// row, and the lookups the roster's duplicate search needs.
#include "data/Sqlite.h"
#include "data/Table.h"

#include <memory>
#include <optional>
#include <string>

namespace kanata {

class ImportTableWriter {
public:
    explicit ImportTableWriter(Table& table);
    ~ImportTableWriter();

    sql::Database& database() { return table_.database(); }
    // The record number the next new row takes (0 in an empty table).
    std::int64_t nextRecNo();
    std::int64_t count() { return table_.count(); }

    // Around one batch's writes, inside its transaction: its new rows are
    // indexed for substring searches at the end in one go. Every row it
    // inserts is numbered past the last one (nextRecNo on).
    void beginBatch() { table_.beginBulkWrite(BulkWrite::NewRowsOnly); }
    void endBatch() { table_.endBulkWrite(); }

    // Throws SqliteError when the row is refused.
    void insert(const Record& record);
    // False when no row has record[0] as its number.
    bool update(const Record& record);
    bool exists(std::int64_t recNo);
    // The first row (in record-number order) whose SchTel1 is `key`, else
    // the first whose SchTel2 is.
    std::optional<std::int64_t> firstWithNumber(const std::string& key);

private:
    void bindFields(sql::Statement& stmt, const Record& record, std::size_t from, int param);

    Table& table_;
    std::unique_ptr<sql::Statement> insert_, update_, exists_, last_;
    std::unique_ptr<sql::Statement> byNumber_;
    std::string scratch_; // a text cut to its field while it is bound
};

} // namespace kanata
