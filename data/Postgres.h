#pragma once
// The tables' store on a PostgreSQL server, through libpq.
#include "data/SqlConnection.h"

#include <memory>
#include <string>
#include <string_view>

namespace kanata::sql {

// Connects or throws sql::Error with libpq's reason.
std::unique_ptr<Connection> ConnectToServer(const ServerSettings& server);

// A statement as the server takes it: SQLite's parameters ("?", "?NNN")
// become "$1", "$NNN", and quoted names are lowercased, so that a name
// means the same quoted or not (as on SQLite, where names ignore case; the
// server folds unquoted names to lower case). A quoted collation name stays
// as written ("C"). Quoted text and comments are left alone. `count`
// receives the highest parameter number used.
std::string ServerSpelling(std::string_view sql, int& count);

} // namespace kanata::sql
