#pragma once
// The whole program in the test's own process with its tables on a real
// PostgreSQL server: the demo work folder pointed at a database, as the
// line PC or as a desk, and what the tests of a server ask of it.
#include "data/StoreSettings.h"
#include "tests/support/PostgresServer.h"
#include "tests/support/ProgramInProcess.h"

#include <QString>

#include <cstdint>

namespace kanata::test {

class ProgramOnServer : public ProgramInProcess {
protected:
    enum class Role { LinePc, Desk };

    // The demo work folder with its tables on `database` (before start()).
    void prepareDemoOn(const sql::ServerSettings& database, Role role = Role::LinePc);
    // prepareDemoOn(), then start(); fails the test unless the program
    // takes calls.
    void startOn(const sql::ServerSettings& database, Role role = Role::LinePc);

    // A call on the line, as the adapter's tool gives it.
    void call(const QString& number);
    // The menu window's red line: the server is out of reach.
    bool redLineShown() const;
};

// ... on a server of the test's own, which the test stops and starts.
class ProgramOnOwnServer : public ProgramOnServer {
protected:
    explicit ProgramOnOwnServer(PostgresServer::Options options = {})
        : server(std::move(options)) {}

    // The calls in the history on the server, read as another program would.
    std::int64_t storedCalls();

    PostgresServer server;
    const sql::StoreSettings store{sql::Engine::Postgresql, server.createDatabase()};
};

} // namespace kanata::test
