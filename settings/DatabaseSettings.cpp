#include "settings/DatabaseSettings.h"

namespace kanata {

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

std::string DatabaseSettingsLines(const sql::ServerSettings& server) {
    std::string lines = std::string("[") + kDatabaseSection + "]\nEngine=postgresql\n";
    const std::pair<const char*, const std::string*> keys[] = {
        {"Host", &server.host}, {"Port", &server.port},       {"Name", &server.name},
        {"User", &server.user}, {"SslMode", &server.sslMode},
    };
    for (const auto& [key, value] : keys)
        if (!value->empty())
            lines += std::string(key) + "=" + *value + "\n";
    return lines;
}

} // namespace kanata
