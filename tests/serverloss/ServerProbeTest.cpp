// The step-by-step question to the tables' server that a program started
// before it asks at each retry: a running server answers, a stopped one
// fails, and one that has taken the connection but not answered yet leaves
// the probe waiting on its socket instead of inside libpq.
#include "data/ServerProbe.h"
#include "tests/support/LoopbackListener.h"
#include "tests/support/PostgresServer.h"

#include <gtest/gtest.h>

#include <poll.h>

namespace kanata::test {
namespace {

// Polls, waiting on the socket as the program does, until the probe ends.
sql::ReconnectStep runToEnd(sql::ServerProbe& probe, std::string& reason) {
    sql::ReconnectStep step = sql::ReconnectStep::WaitWrite;
    for (int i = 0; i < 100; ++i) {
        pollfd fd{probe.socket(),
                  static_cast<short>(step == sql::ReconnectStep::WaitRead ? POLLIN : POLLOUT), 0};
        if (fd.fd >= 0 && ::poll(&fd, 1, 5000) <= 0)
            break;
        step = probe.poll(reason);
        if (step == sql::ReconnectStep::Connected || step == sql::ReconnectStep::Failed)
            return step;
    }
    return step;
}

TEST(ServerProbe, ARunningServerAnswersAndAStoppedOneFails) {
    PostgresServer server;
    const sql::ServerSettings database = server.createDatabase();
    std::string reason;
    sql::ServerProbe up;
    ASSERT_TRUE(up.start(database, reason)) << reason;
    EXPECT_EQ(runToEnd(up, reason), sql::ReconnectStep::Connected) << reason;

    server.stop("fast");
    sql::ServerProbe down;
    const bool started = down.start(database, reason);
    if (started) {
        EXPECT_EQ(runToEnd(down, reason), sql::ReconnectStep::Failed);
    }
    EXPECT_NE(reason.find("No such file or directory"), std::string::npos) << reason;
}

// A listening socket nobody accepts from: the kernel takes the connection,
// and the request sent on it is never answered.
class SilentServer {
public:
    sql::ServerSettings settings() const {
        return {"127.0.0.1", std::to_string(listener_.port()), "kanata", "kanata", "disable"};
    }

private:
    LoopbackListener listener_{"silent server", 4};
};

TEST(ServerProbe, WaitsOnTheSocketWhileTheServerHasNotAnswered) {
    SilentServer silent;
    std::string reason;
    sql::ServerProbe probe;
    ASSERT_TRUE(probe.start(silent.settings(), reason)) << reason;
    ASSERT_GE(probe.socket(), 0);
    pollfd writable{probe.socket(), POLLOUT, 0};
    ASSERT_EQ(::poll(&writable, 1, 5000), 1);
    sql::ReconnectStep step = probe.poll(reason);
    if (step == sql::ReconnectStep::WaitWrite)
        step = probe.poll(reason);
    EXPECT_EQ(step, sql::ReconnectStep::WaitRead) << reason;
    // Nothing came, so there is nothing to read yet: the wait is the
    // caller's, on the socket.
    pollfd readable{probe.socket(), POLLIN, 0};
    EXPECT_EQ(::poll(&readable, 1, 200), 0);
}

} // namespace
} // namespace kanata::test
