#pragma once
// Where the tables live: SQLite files in the data folder (the default), or
// one PostgreSQL server that several desks share.
#include <string>

namespace kanata::sql {

enum class Engine { Sqlite, Postgresql };

// The connection to a server, as libpq takes it. There is no password here
// on purpose: libpq reads it from the user's password file (~/.pgpass) or
// service file, so no settings file ever holds one.
struct ServerSettings {
    std::string host; // a name, an address or a Unix-socket folder; empty = libpq's default
    std::string port;
    std::string name; // the database
    std::string user;
    std::string sslMode; // libpq's sslmode; empty = libpq's default (prefer)
};

// The libpq connection string of `server`, every value quoted.
std::string ConnectionInfo(const ServerSettings& server);

struct StoreSettings {
    Engine engine = Engine::Sqlite;
    ServerSettings server; // used when engine is Postgresql
};

// Reads "sqlite" or "postgresql" (any case; empty = sqlite); false when
// `text` names neither.
bool ParseEngine(const std::string& text, Engine& engine);
const char* EngineName(Engine engine);

// The store of a data module that is not given one: SQLite unless replaced.
// The program and the tools pass the store they read from the settings; the
// test entry point replaces the default to run the table tests on a server.
const StoreSettings& DefaultStore();
void SetDefaultStore(const StoreSettings& store);

} // namespace kanata::sql
