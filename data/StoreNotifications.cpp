#include "data/StoreNotifications.h"

#include "data/ServerProbe.h"
#include "data/Utf8.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <poll.h>

namespace kanata {
namespace {
constexpr std::string_view kChannelPrefix = "kanata195_";
// How long the waiting connect() gives the server for each step; libpq
// leaves the timing of a stepwise connection to its caller.
constexpr int kStepTimeoutMs = 2000;

std::string lowered(std::string_view text) {
    std::string out(text);
    LowerAsciiLetters(out);
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

    bool beginConnect(std::string& reason) override {
        disconnect();
        probe_ = std::make_unique<sql::ServerProbe>();
        if (!probe_->start(server_, reason)) {
            disconnect();
            return false;
        }
        listenSent_ = false;
        established_ = false;
        return true;
    }

    // Connecting (PQconnectPoll), then the LISTEN sent and its answer read
    // as the socket allows, so that a server that accepts and then says
    // nothing never holds the caller.
    sql::ReconnectStep continueConnect(std::string& reason) override {
        if (!listenSent_)
            return poll(reason);
        if (!conn_) {
            reason = "not connecting";
            return sql::ReconnectStep::Failed;
        }
        if (PQflush(conn_) == 1)
            return sql::ReconnectStep::WaitWrite;
        if (PQconsumeInput(conn_) == 0)
            return fail(reason);
        // One result per LISTEN, and the end only once both came.
        while (!PQisBusy(conn_)) {
            PGresult* result = PQgetResult(conn_);
            if (!result) {
                if (!listenAnswered_)
                    return fail(reason);
                established_ = true;
                return sql::ReconnectStep::Connected;
            }
            listenAnswered_ = listenAnswered_ && PQresultStatus(result) == PGRES_COMMAND_OK;
            PQclear(result);
        }
        return sql::ReconnectStep::WaitRead;
    }

    bool connected() const override { return conn_ != nullptr && established_; }
    int socket() const override {
        if (conn_)
            return PQsocket(conn_);
        return probe_ ? probe_->socket() : -1;
    }

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
        probe_.reset();
        if (conn_)
            PQfinish(conn_);
        conn_ = nullptr;
        established_ = false;
    }

private:
    // The connection made by the probe, then kept for the LISTEN.
    sql::ReconnectStep poll(std::string& reason) {
        if (!probe_) {
            reason = "not connecting";
            return sql::ReconnectStep::Failed;
        }
        const sql::ReconnectStep step = probe_->poll(reason);
        if (step == sql::ReconnectStep::Failed) {
            if (reason.empty())
                reason = "server closed the connection";
            disconnect();
        }
        if (step != sql::ReconnectStep::Connected)
            return step;
        conn_ = probe_->release();
        probe_.reset();
        PQsetnonblocking(conn_, 1);
        const std::string listen =
            "LISTEN " + ChangeChannel("RecvHis") + "; LISTEN " + ChangeChannel("Meibo");
        if (PQsendQuery(conn_, listen.c_str()) == 0)
            return fail(reason);
        listenSent_ = true;
        listenAnswered_ = true;
        return PQflush(conn_) == 1 ? sql::ReconnectStep::WaitWrite : sql::ReconnectStep::WaitRead;
    }

    sql::ReconnectStep fail(std::string& reason) {
        reason = trimmed(PQerrorMessage(conn_));
        if (reason.empty())
            reason = "server closed the connection";
        disconnect();
        return sql::ReconnectStep::Failed;
    }

    static std::string trimmed(std::string text) {
        while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
            text.pop_back();
        return text;
    }

    sql::ServerSettings server_;
    std::unique_ptr<sql::ServerProbe> probe_; // while connecting
    PGconn* conn_ = nullptr;
    bool listenSent_ = false;
    bool listenAnswered_ = false; // every answer so far a success
    bool established_ = false;
};
} // namespace

bool StoreChangeListener::connect(std::string& reason) {
    if (!beginConnect(reason))
        return false;
    sql::ReconnectStep step = continueConnect(reason);
    while (step == sql::ReconnectStep::WaitRead || step == sql::ReconnectStep::WaitWrite) {
        pollfd fd{socket(),
                  static_cast<short>(step == sql::ReconnectStep::WaitRead ? POLLIN : POLLOUT), 0};
        if (::poll(&fd, 1, kStepTimeoutMs) <= 0) {
            reason = "the server did not answer in time";
            disconnect();
            return false;
        }
        step = continueConnect(reason);
    }
    return step == sql::ReconnectStep::Connected;
}

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
