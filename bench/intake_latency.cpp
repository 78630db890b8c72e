// The latency a user sees: from `ktcall` handing a number to the simulator
// adapter to the committed history row, through the real program (started
// from the build's application folder on the offscreen platform, pop-ups
// on), with 99,000 history rows and 100,000 roster entries in its tables.
// Calls are sent one after the other, each waiting for its row, so the
// calls/s counter is the sequential throughput of the whole road.
//
//     build/release/bench/bench_intake_latency
#include "data/Sqlite.h"
#include "data/TDMKanata195.h"
#include "platform/MessageService.h"

#include "bench/BenchSupport.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace {
namespace fs = std::filesystem;
using namespace kanata;

constexpr int kHistory = 99000;
constexpr int kRoster = 100000;

using kanata::bench::NoBoxes;

fs::path stage() {
    return KANATA_STAGE_DIR;
}

QProcessEnvironment environment(const fs::path& root) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", QString::fromStdString((root / "data").string()));
    env.insert("XDG_CONFIG_HOME", QString::fromStdString((root / "config").string()));
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString((root / "runtime").string()));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("KANATA_NO_SPLASH", "1");
    env.insert("KANATA_HEADLESS_MESSAGES", "1");
    return env;
}

void fillTables(const fs::path& data) {
    NoBoxes messages;
    TDMKanata195 dm(data, messages);
    if (!dm.OpenRecvHis() || !dm.OpenMeibo())
        throw std::runtime_error("tables");
    sql::Database& meibo = dm.Meibo().table().database();
    meibo.exec("BEGIN");
    meibo.exec("DELETE FROM Meibo");
    meibo.exec("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " +
               std::to_string(kRoster - 1) +
               ") INSERT INTO Meibo (RecNo, SchTel1, SchTel2, Tel1, Tel2, CorpKanji, NameKanji) "
               "SELECT i, '03' || (10000000 + i), '090' || (10000000 + i), '03-' || (10000000 + "
               "i), '090-' || (10000000 + i), '株式会社着信' || i, '着信太郎' FROM n");
    meibo.exec("COMMIT");
    sql::Database& history = dm.RecvHis().table().database();
    history.exec("BEGIN");
    history.exec("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                 std::to_string(kHistory - 1) +
                 ") INSERT INTO RecvHis (RecNo, AxsDateTime, RecvDateTime, RecvWeek, SchTel, "
                 "Tel, Division) SELECT i, t, t, 1, s, s, 0 FROM (SELECT i, strftime('%Y-%m-%d "
                 "%H:%M:%S.000', '2026-01-01', '+' || i || ' minutes') AS t, '03' || (10000000 + "
                 "i % 5000) AS s FROM n)");
    history.exec("COMMIT");
    dm.CloseMeibo();
    dm.CloseRecvHis();
}

long long lastRecNo(const fs::path& file) {
    sql::Database db;
    db.open(file, false);
    sql::Statement stmt(db, "SELECT MAX(RecNo) FROM RecvHis");
    stmt.step();
    return stmt.columnInt(0);
}

void BM_CallToCommittedRow(benchmark::State& state) {
    char pattern[] = "/tmp/kanata-latency-XXXXXX";
    const fs::path root = mkdtemp(pattern);
    fs::create_directories(root / "runtime");
    fs::permissions(root / "runtime", fs::perms::owner_all);
    const QProcessEnvironment env = environment(root);
    QProcess demo;
    demo.setProcessEnvironment(env);
    demo.start(QString::fromStdString((stage() / "kanata-demo").string()), {"--empty"});
    demo.waitForFinished(60000);
    const fs::path data = root / "data" / "Tenko" / "Kanata195" / "Data";
    fillTables(data);

    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QString::fromStdString((stage() / "kanata195").string()), {});
    QElapsedTimer wait;
    wait.start();
    QByteArray log;
    while (!log.contains("ready for calls") && wait.elapsed() < 120000) {
        program.waitForReadyRead(200);
        log += program.readAllStandardError();
    }
    const fs::path history = data / "RecvHis.DB";
    long long expected = lastRecNo(history);
    int caller = 0;
    for (auto _ : state) {
        QProcess call;
        call.setProcessEnvironment(env);
        const bool known = caller % 2 == 0;
        const std::string number = known ? "03" + std::to_string(10000000 + caller)
                                         : "06" + std::to_string(20000000 + caller);
        ++caller;
        call.start(QString::fromStdString((stage() / "ktcall").string()),
                   {QString::fromStdString(number)});
        call.waitForFinished(30000);
        ++expected;
        while (lastRecNo(history) < expected)
            QThread::usleep(500);
    }
    state.counters["calls/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    program.terminate();
    program.waitForFinished(30000);
    fs::remove_all(root);
}
BENCHMARK(BM_CallToCommittedRow)->Unit(benchmark::kMillisecond)->Iterations(200)->UseRealTime();

} // namespace
