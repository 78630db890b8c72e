#pragma once
// What the program does when the tables' server goes away: the menu window
// says so (a red line while it lasts, one box per loss), the tables'
// connections are found again in the background with growing waits, and on
// the line PC the calls that waited meanwhile are stored, oldest first,
// before the next call. A desk's call listener finds its own way back
// (DeskMode); here only its tables are reconnected, and the desk reads the
// announced calls again once they answer.
//
// The item lists' own connection is watched with the tables': it is never
// made again in the window's hands, only here.
//
// A reconnection never blocks the window: libpq connects step by step
// (PQresetStart/PQresetPoll) while a socket notifier waits for the server.
// Tables that could not be opened at start-up, as their server was not up
// yet, are opened by the same retries: each asks the server step by step
// with a connection of its own, and the tables are opened once it answers.
#include "data/ServerProbe.h"
#include "data/StoreNotifications.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kanata {

namespace sql {
class Database;
}
struct ProgramState;

inline constexpr const char* kServerUnreachableLine =
    "データベースサーバーに接続できません  \r\n"
    "着信は控えに保存しています  \r\n"
    "接続が回復したら、着信順に着信履歴へ保存します  ";
inline constexpr const char* kServerUnreachableDesk = "データベースサーバーに接続できません  \r\n"
                                                      "接続が回復したら、着信の表示を再開します  ";

class ServerRecovery {
public:
    // The waits between attempts: from half a second, doubling, to 30 s.
    static constexpr int kFirstRetryMs = 500;
    static constexpr int kLongestRetryMs = 30000;
    // Waiting calls per transaction, and so per turn of the event loop.
    static constexpr std::size_t kCallsPerTransaction = 200;
    // One attempt may wait this long for the server to answer.
    static constexpr int kAttemptTimeoutMs = 5000;

    explicit ServerRecovery(ProgramState& state);
    ~ServerRecovery();
    ServerRecovery(const ServerRecovery&) = delete;
    ServerRecovery& operator=(const ServerRecovery&) = delete;

    // Stores the waiting calls from the next turn of the event loop, when
    // the server answers.
    void storeWaitingCallsSoon();

    // A desk's listener is back after a loss: the table connections that
    // went with the server are found again now, in the background, and
    // `then` runs once they all answer (at once when none went; later, with
    // the usual waits, should the server go again meanwhile).
    void reviveTables(std::function<void()> then);

private:
    void reachabilityChanged(bool reachable, const std::string& reason);
    void tellOnce();
    void scheduleAttempt();
    void attempt();
    void probeServer();
    void pollProbe();
    void openAwaitedTables();
    void startNext();
    void poll();
    void watch(int socket, QSocketNotifier::Type type, void (ServerRecovery::*next)());
    void attemptFailed(const std::string& reason, bool again = true);
    void connected();
    void storeWaitingCalls();
    void noticeLosses();
    void tablesBack();
    bool stillOpen(const sql::Database* db) const;
    std::vector<sql::Database*> serverConnections() const;
    std::vector<sql::Database*> lostConnections() const;
    bool isDesk() const;

    ProgramState& s_;
    ReconnectBackOff backOff_{kFirstRetryMs, kLongestRetryMs};
    QTimer retry_;
    QTimer attemptTimeout_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::unique_ptr<sql::ServerProbe> probe_;
    std::vector<sql::Database*> reconnecting_; // the current one first
    bool attempting_ = false;
    bool reconnectedAny_ = false; // in this attempt
    std::size_t storedLate_ = 0;  // since the queue was last empty
    bool boxPending_ = false;
    std::function<void()> afterRevival_; // a desk waits for its tables
};

} // namespace kanata
