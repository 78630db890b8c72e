// A call rung at the line PC popping up on a desk: two real programs (see
// ProgramBench.h) on one server, the line PC with its tables filled and
// its own pop-ups off (on an office's network it is another PC; here it
// would take the desk's cores), the desk with its pop-ups on. 500 calls,
// one at a time: each is sent with the request ktcall sends and waited for
// until the desk says it shows the call (it has heard the announcement,
// read the row, looked the caller up and brought up its call view).
//
// - accept_*: from the line PC's answer to ktcall (the call is safe in its
//   journal) to the desk showing it: what the person at the desk waits
//   after the line PC has the call.
// - commit_*: from the commit of the line PC's history row (the server's
//   commit time) to the desk showing it: the desk's own share.
// Median and p95 of each, in ms; desk and line reach the server over its
// Unix socket (pg_unix) or over TCP on 127.0.0.1 (pg_tcp).
//
// BM_AppendToDeskRead is the desk's listening alone, in this process: the
// line PC's append of a history row on its own connection, and a DeskMode
// on another (its listener, the socket watched by the event loop) that
// reads the announced row as the desk does before it shows it.
// `read_*`: from the append's commit to the row read; `append_*`: from the
// start of the append (its durable commit included).
//
//     build/release/bench/bench_desk_popup
#include "app/DeskMode.h"
#include "bench/ProgramBench.h"
#include "data/RecvHisTable.h"
#include "data/ServerStatus.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <vector>

namespace {
using namespace kanata;
using namespace kanata::bench;

constexpr int kCalls = 500;

double nowMicroseconds() {
    return static_cast<double>(std::chrono::duration_cast<std::chrono::microseconds>(
                                   std::chrono::system_clock::now().time_since_epoch())
                                   .count());
}

// When the server committed each history row from `firstRecNo` on, in
// microseconds of the same clock as nowMicroseconds().
std::map<int, double> commitTimes(const sql::ServerSettings& server, int firstRecNo) {
    sql::Database db;
    db.connect(server);
    sql::Statement stmt(db, "SELECT RecNo, CAST(extract(epoch FROM pg_xact_commit_timestamp(xmin)) "
                            "* 1000000 AS bigint) FROM RecvHis WHERE RecNo >= ?");
    stmt.bind(1, firstRecNo);
    std::map<int, double> times;
    while (stmt.step())
        times[static_cast<int>(stmt.columnInt(0))] = static_cast<double>(stmt.columnInt(1));
    return times;
}

void BM_CallToDeskPopUp(benchmark::State& state, BenchEngine engine) {
    const sql::StoreSettings store = FreshStore(engine);
    BenchProgram line(store, BenchProgram::Role::Line, false, true);
    BenchProgram desk(store, BenchProgram::Role::Desk, true, false);
    std::vector<double> fromAccept;
    std::map<int, double> shownAt;
    int caller = 0;
    for (auto _ : state) {
        QElapsedTimer ring;
        line.call(NumberFor(caller++));
        ring.start();
        const auto shown = desk.waitForLine("desk shows call ", 30000);
        if (!shown) {
            state.SkipWithError("the desk did not show a call within 30 s");
            return;
        }
        fromAccept.push_back(static_cast<double>(ring.nsecsElapsed()) / 1e6);
        shownAt[shown->trimmed().toInt()] = nowMicroseconds();
    }
    std::vector<double> fromCommit;
    for (const auto& [recNo, committed] : commitTimes(store.server, kBenchHistory))
        if (shownAt.count(recNo))
            fromCommit.push_back((shownAt[recNo] - committed) / 1000);
    if (fromCommit.size() != fromAccept.size()) {
        state.SkipWithError("a shown call has no stored row, or a call was shown twice");
        return;
    }
    state.counters["accept_median_ms"] = Percentile(fromAccept, 0.5);
    state.counters["accept_p95_ms"] = Percentile(fromAccept, 0.95);
    state.counters["commit_median_ms"] = Percentile(fromCommit, 0.5);
    state.counters["commit_p95_ms"] = Percentile(fromCommit, 0.95);
}

QCoreApplication& eventLoop() {
    static int argc = 1;
    static char name[] = "bench_desk_popup";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

void BM_AppendToDeskRead(benchmark::State& state, BenchEngine engine) {
    eventLoop();
    const sql::StoreSettings store = FreshStore(engine);
    const std::filesystem::path folder = FreshFolder();
    FillTables(folder, store);
    NoBoxes messages;
    RecvHisTable line;
    line.open(store, folder);
    RecvHisTable deskTable;
    deskTable.open(store, folder);
    ServerStatus status;
    QEventLoop waiting;
    std::optional<int> read;
    DeskMode::Reactions reactions;
    reactions.callStored = [&](int recNo) {
        if (deskTable.find(recNo))
            read = recNo;
        waiting.quit();
    };
    DeskMode desk(MakeServerChangeListener(store.server), status, reactions);
    desk.start();
    // It connects in the background; a row appended before it listens
    // would never be announced to it.
    QElapsedTimer connecting;
    connecting.start();
    while (!desk.listening() && connecting.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    if (!desk.listening())
        state.SkipWithError("the desk did not reach the server within 10 s");
    std::vector<double> fromCommit;
    std::vector<double> fromAppend;
    int caller = 0;
    for (auto _ : state) {
        RecvHisRow row;
        row.RecvDateTime = DateTime::now();
        row.SchTel = row.Tel = NumberFor(caller++);
        QElapsedTimer clock;
        clock.start();
        const std::optional<int> recNo = line.append(row, messages);
        const qint64 committed = clock.nsecsElapsed();
        QTimer::singleShot(30000, &waiting, &QEventLoop::quit);
        while (recNo && read != recNo && clock.elapsed() < 30000)
            waiting.exec();
        if (!recNo || read != recNo) {
            state.SkipWithError("the row was not stored or not read within 30 s");
            break;
        }
        fromCommit.push_back(static_cast<double>(clock.nsecsElapsed() - committed) / 1e6);
        fromAppend.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    state.counters["read_median_ms"] = Percentile(fromCommit, 0.5);
    state.counters["read_p95_ms"] = Percentile(fromCommit, 0.95);
    state.counters["append_median_ms"] = Percentile(fromAppend, 0.5);
    state.counters["append_p95_ms"] = Percentile(fromAppend, 0.95);
    line.close();
    deskTable.close();
    std::filesystem::remove_all(folder);
}

BENCHMARK_CAPTURE(BM_AppendToDeskRead, pg_unix, BenchEngine::PostgresqlUnix)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(kCalls)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_AppendToDeskRead, pg_tcp, BenchEngine::PostgresqlTcp)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(kCalls)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_CallToDeskPopUp, pg_unix, BenchEngine::PostgresqlUnix)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(kCalls)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_CallToDeskPopUp, pg_tcp, BenchEngine::PostgresqlTcp)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(kCalls)
    ->UseRealTime();

} // namespace
