#include "data/StoreSettings.h"
#include "data/Utf8.h"

#include <utility>

namespace kanata::sql {
namespace {
StoreSettings& defaultStore() {
    static StoreSettings store;
    return store;
}

// libpq's quoting: single quotes around the value, backslash before a quote
// or a backslash inside it.
std::string quoted(const std::string& value) {
    std::string out = "'";
    for (char c : value) {
        if (c == '\'' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "'";
}
} // namespace

std::string ConnectionInfo(const ServerSettings& server) {
    std::string info;
    const std::pair<const char*, const std::string*> keys[] = {
        {"host", &server.host}, {"port", &server.port},       {"dbname", &server.name},
        {"user", &server.user}, {"sslmode", &server.sslMode},
    };
    for (const auto& [key, value] : keys)
        if (!value->empty())
            info += std::string(key) + "=" + quoted(*value) + " ";
    // The program's texts are UTF-8. A server that cannot be reached should
    // say so within seconds, not after the system's TCP timeout; a
    // connection whose server went away without closing it (a pulled cable,
    // a crashed PC) is found dead by the keepalives within about half a
    // minute when idle, and a statement sent into it fails after 10 s
    // instead of the system's quarter of an hour, so that the line PC keeps
    // its calls instead of waiting on it.
    return info + "client_encoding='UTF8' connect_timeout='3' keepalives='1' "
                  "keepalives_idle='15' keepalives_interval='5' keepalives_count='3' "
                  "tcp_user_timeout='10000' application_name='kanata195'";
}

bool ParseEngine(const std::string& text, Engine& engine) {
    std::string lower = text;
    LowerAsciiLetters(lower);
    if (lower == "sqlite" || lower.empty())
        engine = Engine::Sqlite;
    else if (lower == "postgresql")
        engine = Engine::Postgresql;
    else
        return false;
    return true;
}

const char* EngineName(Engine engine) {
    return engine == Engine::Postgresql ? "postgresql" : "sqlite";
}

const StoreSettings& DefaultStore() {
    return defaultStore();
}

void SetDefaultStore(const StoreSettings& store) {
    defaultStore() = store;
}

} // namespace kanata::sql
