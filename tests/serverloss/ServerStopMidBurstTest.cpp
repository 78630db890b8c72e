// The line PC as shipped, its tables on a real server, and the server
// stopped as by a crash (pg_ctl stop -m immediate) in the middle of a burst
// of calls from the real ktcall: the calls keep being accepted, and once the
// server is back every accepted call is stored exactly once, in the order
// it arrived.
#include "data/RecvHisTable.h"
#include "tests/serverloss/StoredInOrder.h"
#include "tests/support/PostgresServer.h"
#include "tests/support/ProgramRunOnServer.h"
#include "tests/support/TempFolders.h"
#include "tests/support/UserInput.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace kanata::test {
namespace {

constexpr int kBatches = 30;
constexpr int kPerBatch = 10;

TEST(ServerStopMidBurst, EveryAcceptedCallIsStoredOnceInArrivalOrder) {
    PostgresServer server;
    const sql::StoreSettings store{sql::Engine::Postgresql, server.createDatabase()};
    TempFolders folders;
    ProgramRun run{folders, stageFolder()};
    ASSERT_TRUE(run.prepareDemo());
    UseServer(folders.workFolder(), store.server);
    ASSERT_TRUE(run.start()) << run.log().toStdString();

    std::vector<QString> accepted; // in the order ktcall had them accepted
    QElapsedTimer restarted;
    for (int batch = 0; batch < kBatches; ++batch) {
        if (batch == kBatches / 3)
            server.stop("immediate");
        if (batch == 2 * kBatches / 3) {
            server.start();
            restarted.start();
        }
        QStringList numbers;
        for (int i = 0; i < kPerBatch; ++i)
            numbers << QString("03%1").arg(20000000 + batch * kPerBatch + i);
        const std::vector<QString> now = SendCalls(run, numbers);
        accepted.insert(accepted.end(), now.begin(), now.end());
    }
    ASSERT_EQ(accepted.size(), static_cast<std::size_t>(kBatches * kPerBatch))
        << "the line accepts calls while the server is away";

    TempFolders scratch;
    RecvHisTable history;
    history.open(store, scratch.root());
    ASSERT_TRUE(waitUntil(
        [&] { return history.count() >= static_cast<std::int64_t>(accepted.size()); }, 120000))
        << history.count() << "\n"
        << run.log().toStdString();
    ASSERT_TRUE(waitUntil([&] { return run.log().contains("waiting calls stored"); }, 10000))
        << run.log().toStdString();
    static const QRegularExpression waited("waiting calls stored: (\\d+)");
    std::fprintf(stderr,
                 "[figures] %zu calls, %s of them waited and were stored %lld ms after the "
                 "restart\n",
                 accepted.size(), qPrintable(waited.match(run.log()).captured(1)),
                 static_cast<long long>(restarted.elapsed()));
    // Nothing more comes in later.
    QTest::qWait(500);

    std::vector<RecvHisRow> rows = history.read(Query{});
    ExpectStoredOnceInOrder(rows, accepted);

    // The loss was told once, in the program's words, and in no other box.
    const QString log = run.log();
    EXPECT_EQ(log.count("kanata195: box:"), 1) << log.toStdString();
    EXPECT_EQ(log.count("kanata195: box: データベースサーバーに接続できません"), 1)
        << log.toStdString();
    EXPECT_TRUE(run.stop()) << run.log().toStdString();
}

} // namespace
} // namespace kanata::test
