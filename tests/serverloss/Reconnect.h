#pragma once
// Reconnects a lost connection as the program does, step by step, waiting
// on the socket here.
#include "data/Sqlite.h"

#include <poll.h>

namespace kanata::test {

inline bool Reconnect(sql::Database& db) {
    std::string reason;
    if (!db.startReconnect(reason))
        return false;
    for (int steps = 0; steps < 100; ++steps) {
        const sql::ReconnectStep step = db.pollReconnect(reason);
        if (step == sql::ReconnectStep::Connected)
            return true;
        if (step == sql::ReconnectStep::Failed)
            return false;
        pollfd fd{db.socket(),
                  static_cast<short>(step == sql::ReconnectStep::WaitRead ? POLLIN : POLLOUT), 0};
        if (::poll(&fd, 1, 5000) <= 0)
            return false;
    }
    return false;
}

} // namespace kanata::test
