#pragma once
// The text conditions on a PostgreSQL server: a GIN index of pg_trgm
// trigrams on each text the lists search, and a LIKE of the escaped text
// between two "%" that the index answers (rechecking each row it gives, so
// the answer is the row test's: case and width as they stand).
//
// A condition of one or two characters holds no whole trigram: beside the
// trigrams each searched text has a GIN index of its distinct one- and
// two-character pieces (code points, as strpos counts them), which such a
// condition looks up before the strpos() row test confirms each row. When
// the server refuses the function behind that index, the row test alone
// answers, reading the rows.
#include "data/Sqlite.h"
#include "data/Table.h"

#include <string>
#include <vector>

namespace kanata::substring::server {

// Which of the indexes a table's text conditions may use.
struct Indexes {
    bool trigrams = false;    // pg_trgm, for three characters and more
    bool shortPieces = false; // the pieces of one and two characters
};

// Makes sure the indexes of def.substringTexts are there, inside the
// caller's transaction. Each kind the server will not give this user is
// left out with a line on the log: its conditions then read the rows.
Indexes Attach(sql::Database& db, const TableDef& def);

// The SQL term admitting the rows whose fields, joined end to end, contain
// the condition's text, with its arguments appended to `args`. The same
// rows with or without the indexes.
std::string ContainsTerm(const TextCondition& condition, std::vector<FieldValue>& args,
                         const Indexes& indexes = {});

// `text` as a LIKE pattern that matches it anywhere, with "\" escaping.
std::string AnywherePattern(const std::string& text);

} // namespace kanata::substring::server
