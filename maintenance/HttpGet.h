#pragma once
// One HTTP GET to the update server. The event loop keeps running while it
// waits, so windows stay responsive. Every exchange is bounded: by a size
// limit on the body, by a limit on silence (no byte for too long), and,
// where wanted, by a deadline for the whole exchange.
#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstdint>
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

struct HttpLimits {
    // The body may not be longer; a longer one is refused as soon as its
    // length is announced or reached, and nothing more of it is read.
    std::int64_t maxBodyBytes = 0;
    // Given up when no byte arrives for this long (also before the first).
    std::chrono::milliseconds silence{10000};
    // Given up when this passes, however busy the server is.
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
    // Lets the user's input through while waiting (a modal window of the
    // caller then keeps it to itself) and is asked every moment whether the
    // user gave up; unset = user input waits until the exchange ends.
    std::function<bool()> cancelled;
};

// GETs `target` with the agent name "Kanata195" and no cache. When `sink`
// is set, the body is handed to it piece by piece instead of being kept; a
// false return from it aborts the exchange.
HttpReply httpGet(const HttpTarget& target, const HttpLimits& limits,
                  const std::function<bool(const QByteArray&)>& sink = {});

// Error code used for a deadline that passed or a server gone silent.
inline constexpr int kHttpTimedOut = 12002; // the number Windows gives a time-out
// This program's own codes (outside the system's and the parser's ranges).
inline constexpr int kHttpBodyTooLarge = 3001;
inline constexpr int kHttpCancelled = 3002;

// Whether a connection can be attempted at all: the host is on this
// machine, or some non-loopback network interface is up.
bool canAttemptConnection(const QString& hostAndPort);

} // namespace kanata
