#pragma once
// Kanata195.ini's DATABASE section: where the tables live.
//
//   [DATABASE]
//   Engine=postgresql        ; or sqlite (the default: files in the data folder)
//   Host=/var/run/postgresql ; a host name, an address or a socket folder
//   Port=5432
//   Name=kanata195
//   User=kanata
//   SslMode=prefer
//
// The password is never read from here: libpq takes it from the user's
// password file or service file.
#include "data/StoreSettings.h"
#include "settings/IniFile.h"

#include <string>

namespace kanata {

inline constexpr const char* kDatabaseSection = "DATABASE";

struct DatabaseSettingsRead {
    sql::StoreSettings store;
    // The Engine value when it names no engine (the store is then SQLite);
    // empty when it was fine.
    std::string unknownEngine;
};

DatabaseSettingsRead ReadDatabaseSettings(const IniFile& ini);
// Puts `store` into the DATABASE section, as ReadDatabaseSettings reads it
// back; a server field left empty is removed (libpq then takes its default).
void WriteDatabaseSettings(IniFile& ini, const sql::StoreSettings& store);
// The lines a desk puts into its Kanata195.ini to use `server`.
std::string DatabaseSettingsLines(const sql::ServerSettings& server);

} // namespace kanata
