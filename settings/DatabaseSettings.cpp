#include "settings/DatabaseSettings.h"

#include <array>
#include <utility>

namespace kanata {
namespace {
using ServerKeys = std::array<std::pair<const char*, const std::string*>, 5>;

ServerKeys serverKeys(const sql::ServerSettings& server) {
    return {{{"Host", &server.host},
             {"Port", &server.port},
             {"Name", &server.name},
             {"User", &server.user},
             {"SslMode", &server.sslMode}}};
}
} // namespace

DatabaseSettingsRead ReadDatabaseSettings(const IniFile& ini) {
    DatabaseSettingsRead read;
    const std::string engine = ini.readString(kDatabaseSection, "Engine");
    if (!sql::ParseEngine(engine, read.store.engine)) {
        read.unknownEngine = engine;
        read.store.engine = sql::Engine::Sqlite;
    }
    sql::ServerSettings& s = read.store.server;
    s.host = ini.readString(kDatabaseSection, "Host");
    s.port = ini.readString(kDatabaseSection, "Port");
    s.name = ini.readString(kDatabaseSection, "Name");
    s.user = ini.readString(kDatabaseSection, "User");
    s.sslMode = ini.readString(kDatabaseSection, "SslMode");
    return read;
}

void WriteDatabaseSettings(IniFile& ini, const sql::StoreSettings& store) {
    ini.writeString(kDatabaseSection, "Engine", sql::EngineName(store.engine));
    for (const auto& [key, value] : serverKeys(store.server)) {
        if (value->empty())
            ini.deleteKey(kDatabaseSection, key);
        else
            ini.writeString(kDatabaseSection, key, *value);
    }
}

std::string DatabaseSettingsLines(const sql::ServerSettings& server) {
    std::string lines = std::string("[") + kDatabaseSection + "]\nEngine=postgresql\n";
    for (const auto& [key, value] : serverKeys(server))
        if (!value->empty())
            lines += std::string(key) + "=" + *value + "\n";
    return lines;
}

} // namespace kanata
