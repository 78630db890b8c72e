#pragma once
// A real PostgreSQL server of the tests' own: a cluster made with initdb in
// a temporary folder, listening on a Unix socket in that folder and, only
// when asked, on a free TCP port of 127.0.0.1 (so test processes side by
// side never meet). Run as root (CI), the server runs as `nobody`, which
// PostgreSQL insists on.
#include "data/StoreSettings.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace kanata::test {

class PostgresServer {
public:
    struct Options {
        // Also listen on 127.0.0.1, on a port that was free at the start
        // (trusted, as the socket is).
        bool tcp = false;
        // Flush commits to disk as an office's server does; the tests leave
        // it off, since they check what the program writes, not the disk.
        bool durable = false;
        // Further server settings ("name=value"), given at every start.
        std::vector<std::string> settings;
    };

    // Makes the cluster and starts it; std::runtime_error with the server's
    // log when it cannot.
    PostgresServer() : PostgresServer(Options{}) {}
    explicit PostgresServer(Options options);
    ~PostgresServer();
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    // A new, empty database (with a Japanese ICU collation as its default,
    // as an office server may well have, so that text not compared by
    // bytes would show, and a character type that knows Japanese letters,
    // for the trigram indexes) and the settings that reach it.
    sql::ServerSettings createDatabase();
    void dropDatabase(const std::string& name);
    // The settings of the maintenance database "postgres".
    sql::ServerSettings maintenance() const;
    // The same database reached over TCP on 127.0.0.1 (a server made with
    // Options::tcp only).
    sql::ServerSettings overTcp(const sql::ServerSettings& database) const;

    void start();
    // pg_ctl stop: "fast" rolls back open transactions and disconnects
    // clients, "immediate" is as a crash.
    void stop(const std::string& mode = "fast");

    const std::filesystem::path& folder() const { return folder_; }

private:
    void run(const std::string& program, const std::vector<std::string>& args) const;
    Options options_;
    std::filesystem::path folder_;
    std::string port_ = "5432";
    int databases_ = 0;
    bool running_ = false;
};

// The engine the table tests run on: KANATA_TEST_ENGINE=postgresql puts
// their tables on a server; otherwise SQLite files.
sql::Engine EngineUnderTest();
inline bool OnServer() {
    return EngineUnderTest() == sql::Engine::Postgresql;
}
// The server of this test process, started at its first use.
PostgresServer& SharedServer();
// Called by the test entry point: when the tables are to be on a server,
// every test gets a fresh database of the shared server as its store.
void UseServerPerTestWhenAsked();

} // namespace kanata::test
