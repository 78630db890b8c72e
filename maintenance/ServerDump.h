#pragma once
// The tables on a PostgreSQL server saved and put back with the server's own
// tools: pg_dump writes them to one file of a backup generation, pg_restore
// puts them back in one transaction. The dump is in pg_dump's custom format:
// pg_restore can check it before anything is changed (--list), restore it in
// one transaction with the old tables dropped first, and it is compressed.
// The password never passes through here: pg_dump and pg_restore read
// libpq's password or service file as the program does.
#include "data/StoreSettings.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kanata {

inline constexpr const char* kServerDumpName = "Tables.pgdump";

// The server's tables that a dump holds (as the server names them).
const std::vector<std::string>& serverTableNames();

// `name` (pg_dump, pg_restore) on PATH, else in the newest
// /usr/lib/postgresql/<version>/bin (`systemFolder` in tests).
std::optional<std::filesystem::path>
findServerTool(const std::string& name,
               const std::filesystem::path& systemFolder = "/usr/lib/postgresql");

struct ServerToolOutcome {
    bool done = false;
    std::string error;   // the log text (English, with the tool's own words)
    std::string message; // what the user is told (Japanese)
};

// Writes the tables of `server` to `target`, through a file beside it that
// is renamed over it when pg_dump has finished.
ServerToolOutcome dumpServerTables(const sql::ServerSettings& server,
                                   const std::filesystem::path& target);

// Done when pg_restore reads `dump` whole.
ServerToolOutcome checkServerDump(const std::filesystem::path& dump);

// Replaces the tables of `server` with those of `dump` in one transaction:
// on any failure the server keeps its tables as they were.
ServerToolOutcome restoreServerTables(const sql::ServerSettings& server,
                                      const std::filesystem::path& dump);

} // namespace kanata
