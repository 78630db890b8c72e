// The program's start against an update server that misbehaves, the way a
// user meets it: the real program from the build's application folder
// (offscreen) with the notices and the update check on, and an HTTP server
// on 127.0.0.1 whose bodies are generated as they are sent.
//
// Argument `server`: 0 a 1 GiB description, 1 a description dripped a byte
// every 100 ms, 2 silence after the request, 3 a good description with a
// 1 GiB notice. The time per iteration is the start until the program takes
// calls (target: under 12 s); `peak_MB` is the program's peak resident
// memory (target: under 150 MB), taken 2 s after the program reached the
// server; `served_MB`/`served_bytes` what the server got to send and
// `requests` how many requests reached it (0 means the case measured
// nothing).
//
//     build/release/bench/bench_update_start
#include "settings/IniFile.h"
#include "tests/update/HostileHttpServer.h"

#include "bench/BenchSupport.h"
#include <QElapsedTimer>
#include <QProcess>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {
namespace fs = std::filesystem;
using namespace kanata;
using kanata::test::HostileHttpServer;
using kanata::test::HostilePage;

constexpr std::int64_t kGiB = 1024LL * 1024 * 1024;
const std::string kHead = "<?xml version=\"1.0\"?><update><app>Kanata195</app>";

void serveHostile(HostileHttpServer& server, std::int64_t kind) {
    const std::string path = "/check/kanata195/";
    if (kind == 0)
        server.serve(path, {.body = kHead, .filler = kGiB, .announceLength = false});
    else if (kind == 1)
        server.serve(path, {.body = kHead,
                            .filler = kGiB,
                            // An announced 1 GiB would be refused at the
                            // header; the drip must reach the reading.
                            .announceLength = false,
                            .pace = std::chrono::milliseconds(100),
                            .pieceBytes = 1});
    else if (kind == 2)
        server.serve(path, {.silent = true});
    else {
        server.serve(path, {.body = kHead + "<info><date>2099/01/01</date></info></update>"});
        server.serve("/info/kanata195/",
                     {.body = "お知らせ", .filler = kGiB, .announceLength = false});
    }
}

// Peak resident memory of a process, in MB (0 when unknown).
double peakMegabytes(qint64 pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

void BM_StartAgainstHostileUpdateServer(benchmark::State& state) {
    const fs::path root = kanata::bench::FreshFolder();
    fs::create_directories(root / "runtime");
    fs::permissions(root / "runtime", fs::perms::owner_all);
    const QProcessEnvironment env = kanata::bench::ProgramEnvironment(root);
    QProcess demo;
    demo.setProcessEnvironment(env);
    demo.start(QString::fromStdString((fs::path(KANATA_STAGE_DIR) / "kanata-demo").string()),
               {"--empty"});
    demo.waitForFinished(60000);
    HostileHttpServer server;
    serveHostile(server, state.range(0));
    IniFile ini(root / "data" / "Tenko" / "Kanata195" / "Kanata195.ini");
    ini.load();
    ini.writeBool("AUTO UPDATE", "UpdateCheck", true);
    ini.writeBool("COMMON", "Info", true);
    ini.writeString("UPDATE PARAMETER", "Domain", server.hostAndPort());
    ini.save();

    double peak = 0;
    for (auto _ : state) {
        QProcess program;
        program.setProcessEnvironment(env);
        QElapsedTimer timer;
        timer.start();
        program.start(QString::fromStdString((fs::path(KANATA_STAGE_DIR) / "kanata195").string()),
                      {});
        QByteArray log;
        while (!log.contains("ready for calls") && timer.elapsed() < 120000 &&
               program.state() != QProcess::NotRunning) {
            program.waitForReadyRead(100);
            log += program.readAllStandardError();
        }
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        if (!log.contains("ready for calls"))
            state.SkipWithError("the program did not become ready");
        // The check may start after the program is ready; give it time to
        // reach the server so the hostile body is really being sent while
        // the program runs, and count what it cost.
        QElapsedTimer afterReady;
        afterReady.start();
        while (server.requests().empty() && afterReady.elapsed() < 10000)
            program.waitForFinished(50);
        program.waitForFinished(2000);
        peak = std::max(peak, peakMegabytes(program.processId()));
        program.terminate();
        program.waitForFinished(30000);
    }
    state.counters["peak_MB"] = peak;
    state.counters["served_MB"] = static_cast<double>(server.bytesSent()) / (1024.0 * 1024.0);
    state.counters["served_bytes"] = static_cast<double>(server.bytesSent());
    state.counters["requests"] = static_cast<double>(server.requests().size());
    fs::remove_all(root);
}
BENCHMARK(BM_StartAgainstHostileUpdateServer)
    ->ArgName("server")
    ->DenseRange(0, 3)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseManualTime();

} // namespace
