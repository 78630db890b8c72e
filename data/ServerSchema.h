#pragma once
// What a login that may read and write a server's tables, but does not own
// them, can do to their schema: look at the catalog. Offices may give each
// desk a role of its own with nothing but the grants on the rows, so every
// change of schema is asked for only when the catalog shows it missing, and
// a refusal names the statement the tables' owner has to run.
#include "data/Sqlite.h"

#include <string>
#include <vector>

namespace kanata::sql::server {

// Whether the current schema has the table or index `name` (the server's
// names are in lower case; `name` may be in any).
bool HasRelation(Database& db, const std::string& name);
// The same for each of `names`, in their order, asked in one statement.
std::vector<bool> HasRelations(Database& db, const std::vector<std::string>& names);
// Whether the function of `signature` ("name(text, text)") exists.
bool HasFunction(Database& db, const std::string& signature);

// Runs a statement that changes the schema of `table`. When this login may
// not, throws sql::Error saying that the owner must run the statement (a
// lost connection is passed on as it is).
void ChangeSchema(Database& db, const std::string& table, const std::string& statement);

} // namespace kanata::sql::server
