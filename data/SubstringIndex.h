#pragma once
// The trigram index that answers "this text occurs in that field" without
// reading every row: an FTS5 table beside the searched one, contentless (it
// holds only the index), kept in step by triggers on the searched table, so
// that every write - this program's, an INSERT OR REPLACE, the sqlite3 tool's
// - changes it in the same transaction as the row.
//
// Each indexed text ends in two padding characters, so that every character
// of it starts a trigram: a condition of one or two characters is answered
// from the trigrams that begin with it, found in the index's vocabulary.
// When too many begin with it (a common character) the rows are read as
// before.
//
// A REPLACE deletes the row it overwrites without the delete trigger
// (unless recursive triggers are on), which would leave that row's entries
// behind: a trigger before each insert notes the row, whose answers are
// then checked against the row itself until the next open builds the index
// afresh.
#include "data/Sqlite.h"
#include "data/Table.h"

#include <optional>
#include <string>
#include <vector>

namespace kanata::substring {

// The names of the objects kept beside `table`.
std::string IndexName(const std::string& table);
std::string ColumnName(const std::vector<std::string>& fields);

// Readies `db` for the terms ContainsTerm writes and makes sure the index
// of def.substringTexts is there and made for those texts; a missing or
// different one is built afresh from the rows, in one transaction. Throws
// sql::SqliteError.
void Attach(sql::Database& db, const TableDef& def);

// A bulk write inside one transaction: from BeginBulkWrite on, the rows
// numbered above the table's last one are left out of the per-row upkeep
// (their inserts, rewrites and deletions), and EndBulkWrite indexes them as
// they then stand in one statement and ends the bulk write. Both must run
// in the same transaction, so a crash or a rollback takes the mark, the
// rows and their entries together; other connections never see the mark,
// and the rows below it keep their triggers.
//
// A writer that brings only new rows, each numbered above the last one by
// a plain INSERT, says so with BulkWrite::NewRowsOnly: the insert triggers
// are then dropped for the transaction (a trigger that writes the index
// makes SQLite keep a statement journal for every row) and made again by
// EndBulkWrite; a guard in their place rolls the transaction back on a
// row numbered below the mark. Being schema changes of the same
// transaction, a crash or a rollback brings the triggers back with it.
void BeginBulkWrite(sql::Database& db, const TableDef& def, BulkWrite kind);
void EndBulkWrite(sql::Database& db, const TableDef& def);

// The list of the rows of `table` whose fields, joined end to end, contain
// the condition's text (compared as instr does, case and width as they
// stand), with its arguments appended to `args`: a SELECT of one column.
std::string RowList(const std::string& table, const TextCondition& condition,
                    std::vector<FieldValue>& args);
// The SQL term admitting those rows, and the query counting them from the
// index without visiting the rows.
std::string ContainsTerm(const std::string& table, const TextCondition& condition,
                         std::vector<FieldValue>& args);
std::string CountQuery(const std::string& table, const TextCondition& condition,
                       std::vector<FieldValue>& args);
// The plain test of each row, for a table without the index.
std::string RowTest(const TextCondition& condition, std::vector<FieldValue>& args);

// The FTS5 query that finds the rows that may contain `text` in `column`,
// or nullopt when the rows are to be read instead (a text the trigrams
// cannot stand for, or a short one that begins too many trigrams).
std::optional<std::string> MatchQuery(sql::Database& db, const std::string& table,
                                      const std::string& column, const std::string& text);

} // namespace kanata::substring
