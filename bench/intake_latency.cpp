// The running program under calls, the way a user meets it: started from the
// build's application folder on the offscreen platform, with 99,000 history
// rows and 100,000 roster entries in its tables (99,999 is the highest
// record number, so a full 100,000 would leave no room for the calls).
//
// - BM_CallToCommittedRow: one call at a time, each sent with the request
//   ktcall sends, answered once the program has the call safe, and waited
//   for until its history row is committed: the time per iteration is the
//   latency from the call to the row on disk.
// - BM_BurstToCommittedRows: one ktcall sends 500 calls one after another;
//   calls/s is 500 over the time until the last row is committed, and
//   accepted/s how fast ktcall had them answered.
// Both with the pop-ups on (argument 1: the history list and the call view
// come up for the calls) and off (0).
//
//     build/release/bench/bench_intake_latency
//
// KANATA_BENCH_PROGRAM_STAGE=<stage folder of another build> measures that
// build's program and adapter libraries with this build's ktcall.
#include "data/Sqlite.h"
#include "data/TDMKanata195.h"
#include "platform/MessageService.h"
#include "settings/IniFile.h"

#include "bench/BenchSupport.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
namespace fs = std::filesystem;
using namespace kanata;

constexpr int kHistory = 99000;
constexpr int kRoster = 100000;
constexpr int kBurst = 500;

using kanata::bench::NoBoxes;

fs::path stage() {
    return KANATA_STAGE_DIR;
}

fs::path programStage() {
    const char* other = std::getenv("KANATA_BENCH_PROGRAM_STAGE");
    return other && *other ? fs::path(other) : stage();
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
                 "Tel, CorpKanji, NameKanji, Division) SELECT i, t, t, 1 + i % 7, s, s, "
                 "'株式会社着信' || (i % 5000), '着信太郎', 1 FROM (SELECT i, strftime('%Y-%m-%d "
                 "%H:%M:%S.000', '2026-01-01', '+' || i || ' minutes') AS t, '03' || (10000000 + "
                 "i % 5000) AS s FROM n)");
    history.exec("COMMIT");
    dm.CloseMeibo();
    dm.CloseRecvHis();
}

// The program on a fresh work folder, filled and ready for calls.
class ProgramUnderCalls {
public:
    explicit ProgramUnderCalls(bool popUps) : root_(kanata::bench::FreshFolder()) {
        fs::create_directories(root_ / "runtime");
        fs::permissions(root_ / "runtime", fs::perms::owner_all);
        env_ = kanata::bench::ProgramEnvironment(root_);
        QProcess demo;
        demo.setProcessEnvironment(env_);
        demo.start(QString::fromStdString((programStage() / "kanata-demo").string()), {"--empty"});
        demo.waitForFinished(60000);
        const fs::path work = root_ / "data" / "Tenko" / "Kanata195";
        IniFile ini(work / "Kanata195.ini");
        ini.load();
        ini.writeBool("OPERATION", "HisListPopup", popUps);
        ini.writeBool("OPERATION", "RecvViewPopup", popUps);
        ini.save();
        fillTables(work / "Data");
        socket_ = work / "KTSimulator.sock";

        program_.setProcessEnvironment(env_);
        program_.start(QString::fromStdString((programStage() / "kanata195").string()), {});
        QElapsedTimer wait;
        wait.start();
        QByteArray log;
        while (!log.contains("ready for calls") && wait.elapsed() < 120000) {
            program_.waitForReadyRead(200);
            log += program_.readAllStandardError();
        }
        history_.open(work / "Data" / "RecvHis.DB", false);
        expected_ = lastRecNo();
    }
    ~ProgramUnderCalls() {
        program_.terminate();
        program_.waitForFinished(30000);
        history_.close();
        fs::remove_all(root_);
    }

    long long lastRecNo() {
        sql::Statement stmt(history_, "SELECT MAX(RecNo) FROM RecvHis");
        stmt.step();
        return stmt.columnInt(0);
    }
    // Waits until `more` further rows are committed.
    void waitForRows(int more) {
        expected_ += more;
        while (lastRecNo() < expected_)
            QThread::usleep(200);
    }

    // What ktcall does for one number: one request, answered when the call
    // is safe.
    void call(const std::string& number) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socket_.c_str(), sizeof address.sun_path - 1);
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            throw std::runtime_error("the simulator does not answer");
        const std::string request = "CALL " + number + "\n";
        if (write(fd, request.data(), request.size()) != static_cast<ssize_t>(request.size()))
            throw std::runtime_error("request not sent");
        shutdown(fd, SHUT_WR);
        char reply[64];
        const ssize_t n = read(fd, reply, sizeof reply);
        close(fd);
        if (n < 2 || std::strncmp(reply, "OK", 2) != 0)
            throw std::runtime_error("call refused");
    }

    // One ktcall sending all `numbers` one after another.
    void burst(const std::vector<std::string>& numbers) {
        QStringList args;
        for (const auto& n : numbers)
            args << QString::fromStdString(n);
        QProcess ktcall;
        ktcall.setProcessEnvironment(env_);
        ktcall.start(QString::fromStdString((stage() / "ktcall").string()), args);
        ktcall.waitForFinished(120000);
        if (ktcall.exitCode() != 0)
            throw std::runtime_error("ktcall: not every call was accepted");
    }

private:
    fs::path root_;
    fs::path socket_;
    QProcessEnvironment env_;
    QProcess program_;
    sql::Database history_;
    long long expected_ = 0;
};

// Half the calls come from roster entries, half from unknown numbers.
std::string numberFor(int n) {
    return n % 2 == 0 ? "03" + std::to_string(10000000 + n) : "06" + std::to_string(20000000 + n);
}

void BM_CallToCommittedRow(benchmark::State& state) {
    ProgramUnderCalls program(state.range(0) != 0);
    int caller = 0;
    for (auto _ : state) {
        program.call(numberFor(caller++));
        program.waitForRows(1);
    }
    state.counters["calls/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CallToCommittedRow)
    ->ArgName("popups")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(300)
    ->UseRealTime();

void BM_BurstToCommittedRows(benchmark::State& state) {
    ProgramUnderCalls program(state.range(0) != 0);
    int caller = 1000;
    double accepting = 0;
    for (auto _ : state) {
        std::vector<std::string> numbers;
        for (int i = 0; i < kBurst; ++i)
            numbers.push_back(numberFor(caller++));
        QElapsedTimer sent;
        sent.start();
        program.burst(numbers);
        accepting += static_cast<double>(sent.nsecsElapsed()) / 1e9;
        program.waitForRows(kBurst);
    }
    const double calls = static_cast<double>(state.iterations()) * kBurst;
    state.counters["calls/s"] = benchmark::Counter(calls, benchmark::Counter::kIsRate);
    state.counters["accepted/s"] = calls / accepting;
}
BENCHMARK(BM_BurstToCommittedRows)
    ->ArgName("popups")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

} // namespace
