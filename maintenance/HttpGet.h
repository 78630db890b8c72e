#pragma once
// One HTTP GET to the update server. The event loop keeps running while it
// waits, so windows stay responsive, and a deadline ends the wait, so a
// server that accepts and never answers cannot hold the program.
#include <QByteArray>
#include <QString>

#include <chrono>
#include <functional>

namespace kanata {

struct HttpReply {
    bool sent = false; // the server answered (with any HTTP status)
    int status = 0;    // HTTP status; 200 for a usable download
    int errorCode = 0; // non-zero when the exchange failed (the network layer's number)
    QString errorText;
    QByteArray body;
};

struct HttpTarget {
    QString hostAndPort; // "host" (port 80) or "host:port"
    QString path;
};

// GETs `target` with the agent name "Kanata195" and no cache. The reply is
// given up when `deadline` passes (errorCode then tells a time-out). When
// `sink` is set, the body is handed to it piece by piece instead of being
// kept; a false return from it aborts the exchange.
HttpReply httpGet(const HttpTarget& target, std::chrono::steady_clock::time_point deadline,
                  const std::function<bool(const QByteArray&)>& sink = {});

// Error code used for a deadline that passed.
inline constexpr int kHttpTimedOut = 12002; // the number Windows gives a time-out

// Whether a connection can be attempted at all: the host is on this
// machine, or some non-loopback network interface is up.
bool canAttemptConnection(const QString& hostAndPort);

} // namespace kanata
