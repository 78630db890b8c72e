// How fast the SIP model turns a burst of INVITEs into call reports: sipp
// sends 500 calls on 127.0.0.1 at up to 5000 calls/s (each rung with 180, then
// cancelled); the counter calls/s is reports posted per second of burst
// and `lost` the calls sipp sent that were not reported (must be 0).
//
//     build/release/bench/bench_sip_burst
#include "intake/AdapterHost.h"
#include "intake/TKTCommDLL.h"

#include "bench/BenchSupport.h"
#include "tests/support/SippScenario.h"

#include <QProcess>

#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>

namespace {
namespace fs = std::filesystem;
using namespace kanata;

constexpr int kCalls = 500;

// Each call rung and cancelled; the CANCEL's 200 is taken as it comes.
std::string burstScenario() {
    return sipp::scenario(
        "burst",
        sipp::cancelledCall("sip:5000@[remote_ip]:[remote_port]",
                            "From: <sip:0312345678@[local_ip]>;tag=[pid]SIPpTag00[call_number]",
                            sipp::kAnyOk));
}

void SipBurst(benchmark::State& state) {
    const fs::path root = bench::FreshFolder();
    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    const fs::path work = root / "data" / "Tenko" / "Kanata195";
    fs::create_directories(work);
    const int port = sipp::freeUdpPort();
    std::ofstream(work / "KTComm3ip.ini")
        << "[IPPBX]\r\nHost=\r\n[SIP]\r\nLocalAddress=127.0.0.1\r\n"
        << "LocalPort=" << port << "\r\n";
    std::ofstream(root / "burst.xml") << burstScenario();

    std::mutex mutex;
    std::condition_variable woken;
    AdapterHost host([&] { woken.notify_all(); });
    host.setReadyForCalls(true);
    bench::NoBoxes boxes;
    auto dll = TKTCommDLL::create(boxes, KANATA_STAGE_DIR, 1, host);
    dll->SetKindId(211);
    if (!dll || dll->OpenLine() != KT_OPEN_OK) {
        state.SkipWithError("the SIP line does not open");
        return;
    }
    int reported = 0;
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        QProcess peer;
        peer.start("sipp", sipp::arguments(root / "burst.xml", sipp::freeUdpPort(), port) +
                               QStringList{"-m", QString::number(kCalls), "-r", "1000", "-l", "200",
                                           "-timeout", "60s", "-nostdin", "-bg"});
        int got = 0;
        std::unique_lock lock(mutex);
        while (got < kCalls &&
               std::chrono::steady_clock::now() - start < std::chrono::seconds(60)) {
            if (host.takeCall())
                ++got;
            else
                woken.wait_for(lock, std::chrono::milliseconds(50));
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        reported += got;
        peer.waitForFinished(60000);
    }
    dll->CloseLine();
    state.counters["calls/s"] = reported / seconds;
    state.counters["lost"] = double(kCalls * state.iterations() - reported);
    fs::remove_all(root);
}
BENCHMARK(SipBurst)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
