#include "data/ServerProbe.h"

#include <libpq-fe.h>

namespace kanata::sql {
namespace {
std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}
} // namespace

ServerProbe::~ServerProbe() {
    PQfinish(conn_);
}

bool ServerProbe::start(const ServerSettings& server, std::string& reason) {
    PQfinish(conn_);
    conn_ = PQconnectStart(ConnectionInfo(server).c_str());
    if (!conn_) {
        reason = "out of memory";
        return false;
    }
    if (PQstatus(conn_) == CONNECTION_BAD) {
        reason = trimmed(PQerrorMessage(conn_));
        return false;
    }
    return true;
}

ReconnectStep ServerProbe::poll(std::string& reason) {
    if (!conn_) {
        reason = "not started";
        return ReconnectStep::Failed;
    }
    switch (PQconnectPoll(conn_)) {
    case PGRES_POLLING_READING:
        return ReconnectStep::WaitRead;
    case PGRES_POLLING_WRITING:
        return ReconnectStep::WaitWrite;
    case PGRES_POLLING_OK:
        return ReconnectStep::Connected;
    default:
        reason = trimmed(PQerrorMessage(conn_));
        return ReconnectStep::Failed;
    }
}

pg_conn* ServerProbe::release() {
    pg_conn* conn = conn_;
    conn_ = nullptr;
    return conn;
}

int ServerProbe::socket() const {
    return conn_ ? PQsocket(conn_) : -1;
}

} // namespace kanata::sql
