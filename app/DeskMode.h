#pragma once
// A desk: a PC without a line whose tables are on a server. It stores no
// calls itself; it pops up each call that the line PC stores, refreshes its
// lists when another desk writes, and finds the server again by itself when
// it goes away. The server is reached through StoreChangeListener only: this
// class watches its socket, connects it step by step (the window never waits
// for the server) and keeps the retries.
#include "data/StoreNotifications.h"

#include <QSocketNotifier>
#include <QTimer>

#include <functional>
#include <memory>

namespace kanata {

class ServerStatus;

class DeskMode {
public:
    struct Reactions {
        std::function<void(int recNo)> callStored; // a new history row
        std::function<void()> historyChanged;      // a row changed or deleted
        std::function<void(const StoreChange&)> rosterChanged;
        // The listener is back after a loss: calls may have come meanwhile.
        // Nothing announced is read, and the server does not count as back,
        // until resume(): the desk reads the announced rows through other
        // connections, which come back after this one. Unset: at once.
        std::function<void()> reconnected;
    };

    DeskMode(std::unique_ptr<StoreChangeListener> listener, ServerStatus& status,
             Reactions reactions);
    ~DeskMode();
    DeskMode(const DeskMode&) = delete;
    DeskMode& operator=(const DeskMode&) = delete;

    // One attempt to reach the server may take this long; it never holds
    // the window meanwhile.
    static constexpr int kAttemptTimeoutMs = 5000;

    // Connects now, or keeps trying with growing waits.
    void start();
    bool listening() const { return listener_->connected(); }
    // Reads what was announced while the listener waited (see
    // Reactions::reconnected) and what comes next. Nothing once the listener
    // went again meanwhile.
    void resume();

private:
    void tryConnect();
    void step();
    void watch(QSocketNotifier::Type type, void (DeskMode::*then)());
    void dropNotifier();
    void listenerBack(bool first);
    void listen();
    void readChanges();
    void react(const StoreChange& change);
    void lose(const std::string& reason);

    std::unique_ptr<StoreChangeListener> listener_;
    ServerStatus& status_;
    Reactions reactions_;
    std::unique_ptr<QSocketNotifier> notifier_;
    QTimer retry_;
    QTimer attemptTimeout_;
    ReconnectBackOff backOff_;
    bool lostOnce_ = false;
    bool awaitingResume_ = false;
};

// Whether these settings make the PC a desk: no line (UseType 2) and the
// tables on a server.
struct GlobalSettings;
namespace sql {
struct StoreSettings;
}
bool IsDesk(const GlobalSettings& settings, const sql::StoreSettings& store);

} // namespace kanata
