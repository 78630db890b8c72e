#pragma once
// The text conditions on a PostgreSQL server: beside each text the lists
// search, a GIN index of its distinct pieces of one, two and three
// characters (code points, as strpos counts them). A condition of up to
// three characters is one of those pieces exactly, so the index alone
// answers it; a longer one asks for the three-character pieces that cover
// it and a strpos() row test confirms each row the index gives.
//
// The pieces need no extension and know every character whatever the
// database's character type. When the server refuses the function behind
// the index, the row test alone answers, reading the rows.
#include "data/Sqlite.h"
#include "data/Table.h"

#include <string>
#include <vector>

namespace kanata::substring::server {

// Makes sure the pieces indexes of def.substringTexts are there, inside the
// caller's transaction, and drops those an older program made in their
// place. False, with a line on the log, when the server will not give this
// user the function they index: the conditions then read the rows.
bool Attach(sql::Database& db, const TableDef& def);

// How a condition is written: looked up in the pieces index, or tested on
// each row (the sooner way along an order's index where many rows pass,
// and the only one without the index).
enum class Spelling { Lookup, RowTest };

// The SQL term admitting the rows whose fields, joined end to end, contain
// the condition's text, with its arguments appended to `args`. The same
// rows either way.
std::string ContainsTerm(const TextCondition& condition, std::vector<FieldValue>& args,
                         Spelling spelling);

} // namespace kanata::substring::server
