#pragma once
// The store a list benchmark's tables go to: SQLite files unless
// KANATA_BENCH_ENGINE=postgresql, which starts a PostgreSQL server of the
// benchmark's own (as the tests do: initdb in a temporary folder, a Unix
// socket) for the whole run. KANATA_BENCH_SERVER_SETTINGS adds server
// settings separated by spaces, for profiling
// ("log_min_duration_statement=0 logging_collector=on log_directory=/tmp/pglog"
// keeps every statement's time).
#include "data/Sqlite.h"
#include "data/StoreSettings.h"
#include "tests/support/PostgresServer.h"

#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace kanata::bench {

inline sql::StoreSettings ListStore() {
    const char* engine = std::getenv("KANATA_BENCH_ENGINE");
    if (!engine || std::string(engine) != "postgresql")
        return {};
    static const auto server = [] {
        std::vector<std::string> settings;
        if (const char* more = std::getenv("KANATA_BENCH_SERVER_SETTINGS")) {
            std::istringstream words(more);
            for (std::string word; words >> word;)
                settings.push_back(word);
        }
        return std::make_unique<test::PostgresServer>(
            test::PostgresServer::Options{.settings = std::move(settings)});
    }();
    sql::StoreSettings store;
    store.engine = sql::Engine::Postgresql;
    store.server = server->createDatabase();
    return store;
}

// A server's table as its autovacuum leaves it a minute after a fill, with
// the statistics and visibility map the planner needs: fresh from one large
// transaction it has neither, and every ordered page becomes a sort of the
// whole table.
inline void SettleOnServer(sql::Database& db, const std::string& table) {
    if (db.engine() == sql::Engine::Postgresql)
        db.exec("VACUUM ANALYZE \"" + table + "\"");
}

} // namespace kanata::bench
