#include "data/StoreNotifications.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cctype>
#include <charconv>

namespace kanata {
namespace {
constexpr std::string_view kChannelPrefix = "kanata195_";
constexpr int kConnectTimeoutSeconds = 2;

std::string lowered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::optional<int> recordNumber(std::string_view payload) {
    if (payload.empty() || payload.size() > kMaxChangePayload - 1)
        return std::nullopt;
    if (!std::all_of(payload.begin(), payload.end(),
                     [](unsigned char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    int value = 0;
    std::from_chars(payload.data(), payload.data() + payload.size(), value);
    return value;
}

class ServerChangeListener final : public StoreChangeListener {
public:
    explicit ServerChangeListener(sql::ServerSettings server) : server_(std::move(server)) {}
    ~ServerChangeListener() override { disconnect(); }

    bool connect(std::string& reason) override {
        disconnect();
        // A desk waits for the server on its window's thread: an address
        // that does not answer must not hold it long.
        const std::string info = sql::ConnectionInfo(server_) +
                                 " connect_timeout=" + std::to_string(kConnectTimeoutSeconds);
        conn_ = PQconnectdb(info.c_str());
        if (!conn_ || PQstatus(conn_) != CONNECTION_OK) {
            reason = conn_ ? trimmed(PQerrorMessage(conn_)) : "out of memory";
            disconnect();
            return false;
        }
        const std::string listen =
            "LISTEN " + ChangeChannel("RecvHis") + "; LISTEN " + ChangeChannel("Meibo");
        PGresult* result = PQexec(conn_, listen.c_str());
        const bool listening = result && PQresultStatus(result) == PGRES_COMMAND_OK;
        PQclear(result);
        if (!listening) {
            reason = trimmed(PQerrorMessage(conn_));
            disconnect();
            return false;
        }
        PQsetnonblocking(conn_, 1);
        return true;
    }

    bool connected() const override { return conn_ != nullptr; }
    int socket() const override { return conn_ ? PQsocket(conn_) : -1; }

    std::vector<StoreChange> takeChanges(std::string& lostReason) override {
        std::vector<StoreChange> changes;
        if (!conn_)
            return changes;
        const bool read = PQconsumeInput(conn_) != 0;
        while (PGnotify* notify = PQnotifies(conn_)) {
            if (auto change = ParseChange(notify->relname, notify->extra))
                changes.push_back(*change);
            PQfreemem(notify);
        }
        // The server's goodbye on a shutdown arrives as an error result.
        while (PGresult* result = PQgetResult(conn_))
            PQclear(result);
        if (!read || PQstatus(conn_) != CONNECTION_OK) {
            lostReason = trimmed(PQerrorMessage(conn_));
            if (lostReason.empty())
                lostReason = "server closed the connection";
            disconnect();
        }
        return changes;
    }

    void disconnect() override {
        if (conn_)
            PQfinish(conn_);
        conn_ = nullptr;
    }

private:
    static std::string trimmed(std::string text) {
        while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
            text.pop_back();
        return text;
    }

    sql::ServerSettings server_;
    PGconn* conn_ = nullptr;
};
} // namespace

std::string ChangeChannel(std::string_view tableName) {
    return std::string(kChannelPrefix) + lowered(tableName);
}

std::string ChangePayload(ChangeKind kind, std::int64_t recNo) {
    return static_cast<char>(kind) + std::to_string(recNo);
}

std::optional<StoreChange> ParseChange(std::string_view channel, std::string_view payload) {
    StoreChange change;
    if (channel == ChangeChannel("RecvHis"))
        change.table = StoredTable::History;
    else if (channel == ChangeChannel("Meibo"))
        change.table = StoredTable::Roster;
    else
        return std::nullopt;
    if (payload.empty() || payload.size() > kMaxChangePayload)
        return std::nullopt;
    switch (payload.front()) {
    case static_cast<char>(ChangeKind::Added):
    case static_cast<char>(ChangeKind::Changed):
    case static_cast<char>(ChangeKind::Removed):
        change.kind = static_cast<ChangeKind>(payload.front());
        break;
    default:
        return std::nullopt;
    }
    const auto recNo = recordNumber(payload.substr(1));
    if (!recNo)
        return std::nullopt;
    change.recNo = *recNo;
    return change;
}

std::unique_ptr<StoreChangeListener> MakeServerChangeListener(const sql::ServerSettings& server) {
    return std::make_unique<ServerChangeListener>(server);
}

} // namespace kanata
