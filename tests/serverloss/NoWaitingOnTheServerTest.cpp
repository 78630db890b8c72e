// What the program asks of a server connection while it must not wait: a
// table's connection learns that its server went without sending a
// statement, and a desk's listener connects step by step, each step
// returning at once however silent the path.
#include "data/RecvHisTable.h"
#include "data/Sqlite.h"
#include "data/StoreNotifications.h"
#include "tests/support/PostgresServer.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TcpRelay.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

#include <chrono>
#include <poll.h>

namespace kanata::test {
namespace {

using Clock = std::chrono::steady_clock;

long long msSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

TEST(NoticeLoss, FindsAConnectionTheServerClosedAndLeavesALiveOneAlone) {
    PostgresServer server;
    const sql::ServerSettings database = server.createDatabase();
    for (const char* mode : {"immediate", "fast"}) {
        sql::Database db;
        db.connect(database);
        db.noticeLoss();
        EXPECT_FALSE(db.connectionLost()) << mode;
        db.exec("SELECT 1"); // still usable after the look

        server.stop(mode);
        server.start();
        db.noticeLoss();
        EXPECT_TRUE(db.connectionLost()) << mode;
    }
}

// Drives the listener's steps as an event loop would; false when a step
// could not go on within `timeoutMs`.
bool connectInSteps(StoreChangeListener& listener, int timeoutMs, long long& slowestStepMs,
                    std::string& reason) {
    if (!listener.beginConnect(reason))
        return false;
    for (;;) {
        const auto start = Clock::now();
        const sql::ReconnectStep step = listener.continueConnect(reason);
        slowestStepMs = std::max(slowestStepMs, msSince(start));
        if (step == sql::ReconnectStep::Connected)
            return true;
        if (step == sql::ReconnectStep::Failed)
            return false;
        pollfd fd{listener.socket(),
                  static_cast<short>(step == sql::ReconnectStep::WaitRead ? POLLIN : POLLOUT), 0};
        if (::poll(&fd, 1, timeoutMs) <= 0) {
            reason = "no answer";
            return false;
        }
    }
}

TEST(ListenerSteps, NeverWaitOnASilentPathAndListenOnceItCarries) {
    PostgresServer server(PostgresServer::Options{.tcp = true});
    const sql::ServerSettings database = server.createDatabase();
    const sql::ServerSettings direct = server.overTcp(database);
    TcpRelay relay(direct.host, direct.port);
    sql::ServerSettings viaRelay = direct;
    viaRelay.port = relay.port();

    relay.hold();
    auto listener = MakeServerChangeListener(viaRelay);
    long long slowest = 0;
    std::string reason;
    EXPECT_FALSE(connectInSteps(*listener, 1500, slowest, reason));
    EXPECT_EQ(reason, "no answer");
    EXPECT_FALSE(listener->connected());
    // A step that waited would wait for the connection's own timeout (2 s).
    EXPECT_LT(slowest, 1000) << "a step returns at once";
    EXPECT_EQ(relay.accepted(), 1);

    relay.release();
    EXPECT_TRUE(connectInSteps(*listener, 5000, slowest, reason)) << reason;
    EXPECT_TRUE(listener->connected());
    EXPECT_LT(slowest, 1000);

    TempFolders folders;
    ScriptedMessages messages;
    RecvHisTable table;
    table.open(sql::StoreSettings{sql::Engine::Postgresql, database}, folders.root());
    RecvHisRow row;
    row.RecvDateTime = DateTime::now();
    row.Tel = row.SchTel = "0311110000";
    const auto recNo = table.append(row, messages);
    ASSERT_TRUE(recNo);
    pollfd fd{listener->socket(), POLLIN, 0};
    ASSERT_GT(::poll(&fd, 1, 5000), 0);
    std::string lost;
    const std::vector<StoreChange> changes = listener->takeChanges(lost);
    ASSERT_EQ(changes.size(), 1u) << lost;
    EXPECT_EQ(changes[0].recNo, *recNo);
}

} // namespace
} // namespace kanata::test
