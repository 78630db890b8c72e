// The line PC as shipped started while its tables' server is still down, as
// after a power cut when the reception PC boots before the server PC: the
// line takes calls from the start, the user is told once, and when the
// server comes up the tables are opened and every accepted call is stored
// exactly once, in the order it arrived.
#include "data/Postgres.h"
#include "data/RecvHisTable.h"
#include "tests/serverloss/StoredInOrder.h"
#include "tests/support/PostgresServer.h"
#include "tests/support/ProgramRunOnServer.h"
#include "tests/support/TempFolders.h"
#include "tests/support/UserInput.h"

#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdio>

namespace kanata::test {
namespace {

constexpr const char* kLossBox = "kanata195: box: データベースサーバーに接続できません";

// Sends the numbers with ktcall; appends those it reports accepted.
void sendCalls(ProgramRun& run, int first, int count, std::vector<QString>& accepted) {
    QStringList numbers;
    for (int i = 0; i < count; ++i)
        numbers << QString("03%1").arg(30000000 + first + i);
    const std::vector<QString> now = SendCalls(run, numbers);
    accepted.insert(accepted.end(), now.begin(), now.end());
}

std::int64_t countRows(const sql::StoreSettings& store) {
    TempFolders scratch;
    RecvHisTable history;
    history.open(store, scratch.root());
    return history.count();
}

TEST(ColdStart, LineStartedBeforeTheServerStoresEveryAcceptedCallOnceInOrder) {
    PostgresServer server;
    const sql::StoreSettings store{sql::Engine::Postgresql, server.createDatabase()};
    server.stop("fast");
    TempFolders folders;
    ProgramRun run{folders, stageFolder()};
    ASSERT_TRUE(run.prepareDemo());
    UseServer(folders.workFolder(), store.server);
    ASSERT_TRUE(run.start()) << "the line PC starts without its server\n"
                             << run.log().toStdString();

    std::vector<QString> accepted;
    for (int batch = 0; batch < 5; ++batch) {
        sendCalls(run, batch * 10, 10, accepted);
        QTest::qWait(300); // several retries fail meanwhile
    }
    ASSERT_EQ(accepted.size(), 50u) << "the line accepts calls before the server is up\n"
                                    << run.log().toStdString();
    EXPECT_EQ(run.log().count(kLossBox), 1) << run.log().toStdString();

    server.start();
    QElapsedTimer sinceStart;
    sinceStart.start();
    // The program makes the tables itself; nothing here may open them first.
    ASSERT_TRUE(waitUntil([&] { return run.log().contains("tables opened"); }, 60000))
        << run.log().toStdString();
    ASSERT_TRUE(waitUntil(
        [&] { return countRows(store) >= static_cast<std::int64_t>(accepted.size()); }, 60000))
        << countRows(store) << "\n"
        << run.log().toStdString();
    const qint64 storedAfterMs = sinceStart.elapsed();
    // The program goes on as usual: a call now is stored straight away.
    sendCalls(run, 100, 3, accepted);
    ASSERT_TRUE(waitUntil(
        [&] { return countRows(store) >= static_cast<std::int64_t>(accepted.size()); }, 30000))
        << countRows(store) << "\n"
        << run.log().toStdString();
    std::fprintf(
        stderr, "[figures] %zu calls accepted before the server, stored %lld ms after it started\n",
        accepted.size() - 3, static_cast<long long>(storedAfterMs));
    QTest::qWait(500); // nothing more comes in later

    TempFolders scratch;
    RecvHisTable history;
    history.open(store, scratch.root());
    const std::vector<RecvHisRow> rows = history.read(Query{});
    ExpectStoredOnceInOrder(rows, accepted);

    const QString log = run.log();
    EXPECT_EQ(log.count("kanata195: box:"), 1) << "one box, and no other\n" << log.toStdString();
    EXPECT_EQ(log.count(kLossBox), 1) << log.toStdString();
    EXPECT_TRUE(log.contains("server reachable again")) << "the red line goes\n"
                                                        << log.toStdString();
    EXPECT_TRUE(run.stop()) << run.log().toStdString();
}

// A desk started before the server: told once, in the desk's words, and it
// listens as usual once the server is up, showing the line PC's calls.
TEST(ColdStart, DeskStartedBeforeTheServerListensOnceItAnswers) {
    PostgresServer server;
    const sql::StoreSettings store{sql::Engine::Postgresql, server.createDatabase()};
    server.stop("fast");
    TempFolders deskFolders;
    ProgramRun desk{deskFolders, stageFolder()};
    ASSERT_TRUE(desk.prepareDemo());
    UseServer(deskFolders.workFolder(), store.server, 2);
    ASSERT_TRUE(desk.start()) << desk.log().toStdString();
    QTest::qWait(1500);
    EXPECT_FALSE(desk.log().contains("desk listening")) << desk.log().toStdString();

    server.start();
    ASSERT_TRUE(waitUntil([&] { return desk.log().contains("desk listening"); }, 60000))
        << desk.log().toStdString();
    TempFolders lineFolders;
    ProgramRun line{lineFolders, stageFolder()};
    ASSERT_TRUE(line.prepareDemo());
    UseServer(lineFolders.workFolder(), store.server);
    ASSERT_TRUE(line.start()) << line.log().toStdString();
    std::vector<QString> accepted;
    sendCalls(line, 0, 2, accepted);
    ASSERT_EQ(accepted.size(), 2u) << line.log().toStdString();
    EXPECT_TRUE(waitUntil([&] { return desk.log().contains("desk shows call"); }, 20000))
        << desk.log().toStdString();

    const QString log = desk.log();
    EXPECT_EQ(log.count("kanata195: box:"), 1) << log.toStdString();
    EXPECT_EQ(log.count(kLossBox), 1) << log.toStdString();
    EXPECT_TRUE(log.contains("着信の表示を再開します")) << "in the desk's words\n"
                                                        << log.toStdString();
    EXPECT_TRUE(log.contains("server reachable again")) << log.toStdString();
    EXPECT_TRUE(line.stop()) << line.log().toStdString();
    EXPECT_TRUE(desk.stop()) << desk.log().toStdString();
}

// The server comes up but refuses the tables (a user without the right to
// make them): that is told by the tables' own box once, the attempts stop
// instead of repeating it, and the calls kept in the journal are stored by
// the next start once the right is given.
TEST(ColdStart, TablesTheServerRefusesAreToldOnceAndTheCallsWaitForTheNextStart) {
    PostgresServer server;
    const sql::StoreSettings owner{sql::Engine::Postgresql, server.createDatabase()};
    sql::ConnectToServer(owner.server)->exec("CREATE ROLE clerk LOGIN");
    sql::StoreSettings clerk = owner;
    clerk.server.user = "clerk";
    server.stop("fast");
    TempFolders folders;
    {
        ProgramRun run{folders, stageFolder()};
        ASSERT_TRUE(run.prepareDemo());
        UseServer(folders.workFolder(), clerk.server);
        ASSERT_TRUE(run.start()) << run.log().toStdString();
        std::vector<QString> accepted;
        sendCalls(run, 0, 3, accepted);
        ASSERT_EQ(accepted.size(), 3u) << run.log().toStdString();
        server.start();
        ASSERT_TRUE(waitUntil([&] { return run.log().contains("no more attempts"); }, 60000))
            << run.log().toStdString();
        QTest::qWait(3000);
        const QString log = run.log();
        EXPECT_EQ(log.count(kLossBox), 1) << log.toStdString();
        EXPECT_EQ(log.count("kanata195: box:"), 2) << "the loss and the refusal\n"
                                                   << log.toStdString();
        EXPECT_TRUE(run.stop()) << run.log().toStdString();
    }
    sql::ConnectToServer(owner.server)->exec("GRANT CREATE ON SCHEMA public TO clerk");
    ProgramRun again{folders, stageFolder()};
    ASSERT_TRUE(again.start()) << again.log().toStdString();
    EXPECT_TRUE(waitUntil([&] { return countRows(owner) == 3; }, 30000))
        << countRows(owner) << "\n"
        << again.log().toStdString();
    EXPECT_TRUE(again.stop()) << again.log().toStdString();
}

} // namespace
} // namespace kanata::test
