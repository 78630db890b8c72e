#pragma once
// One connection to the tables' server made step by step, to learn whether
// it answers without holding the window: start() sends the first step,
// poll() the next each time the socket is ready, until the server answered
// (Connected) or could not be reached (Failed). The connection is closed
// with the probe unless a caller that keeps it takes it (release).
#include "data/Sqlite.h"
#include "data/StoreSettings.h"

#include <string>

struct pg_conn;

namespace kanata::sql {

class ServerProbe {
public:
    ServerProbe() = default;
    ~ServerProbe();
    ServerProbe(const ServerProbe&) = delete;
    ServerProbe& operator=(const ServerProbe&) = delete;

    // False (the reason in `reason`) when not even the first step went out.
    bool start(const ServerSettings& server, std::string& reason);
    ReconnectStep poll(std::string& reason);
    // What to wait on before the next poll.
    int socket() const;
    // The connection once Connected, the caller's to use and to close; the
    // probe holds none after.
    pg_conn* release();

private:
    pg_conn* conn_ = nullptr;
};

} // namespace kanata::sql
