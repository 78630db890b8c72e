#pragma once
// The text conditions on a PostgreSQL server: a GIN index of pg_trgm
// trigrams on each text the lists search, and a LIKE of the escaped text
// between two "%" that the index answers (rechecking each row it gives, so
// the answer is the row test's: case and width as they stand).
//
// A condition of one or two characters holds no whole trigram, and the
// index would give every row: such a condition is a strpos() row test,
// which the server answers by reading the rows (along the list's order,
// stopping after one page, where that is sooner).
#include "data/Sqlite.h"
#include "data/Table.h"

#include <string>
#include <vector>

namespace kanata::substring::server {

// Makes sure the indexes of def.substringTexts are there, inside the
// caller's transaction. False, with a line on the log, when the server
// will not give this user pg_trgm: the conditions then read the rows.
bool Attach(sql::Database& db, const TableDef& def);

// The SQL term admitting the rows whose fields, joined end to end, contain
// the condition's text, with its argument appended to `args`. The same
// with or without the index.
std::string ContainsTerm(const TextCondition& condition, std::vector<FieldValue>& args);

// `text` as a LIKE pattern that matches it anywhere, with "\" escaping.
std::string AnywherePattern(const std::string& text);

} // namespace kanata::substring::server
