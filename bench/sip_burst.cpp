// How fast the SIP model turns a burst of INVITEs into call reports: sipp
// sends 500 calls on 127.0.0.1 at up to 5000 calls/s (each rung with 180, then
// cancelled); the counter calls/s is reports posted per second of burst
// and `lost` the calls sipp sent that were not reported (must be 0).
//
//     build/release/bench/bench_sip_burst
#include "intake/AdapterHost.h"
#include "intake/TKTCommDLL.h"

#include "bench/BenchSupport.h"
#include <QProcess>

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
namespace fs = std::filesystem;
using namespace kanata;

constexpr int kCalls = 500;

int freeUdpPort() {
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    inet_pton(AF_INET, "127.0.0.1", &a.sin_addr);
    socklen_t size = sizeof a;
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
    ::close(fd);
    return ntohs(a.sin_port);
}

const char* kScenario = R"x(<?xml version="1.0" encoding="UTF-8"?>
<scenario name="burst">
<send retrans="500"><![CDATA[
INVITE sip:5000@[remote_ip]:[remote_port] SIP/2.0
Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=[branch]
From: <sip:0312345678@[local_ip]>;tag=[pid]SIPpTag00[call_number]
To: <sip:5000@[remote_ip]:[remote_port]>
Call-ID: [call_id]
CSeq: 1 INVITE
Contact: <sip:caller@[local_ip]:[local_port]>
Max-Forwards: 70
Content-Length: 0

]]></send>
<recv response="100" optional="true"/>
<recv response="180"/>
<send><![CDATA[
CANCEL sip:5000@[remote_ip]:[remote_port] SIP/2.0
[last_Via:]
[last_From:]
To: <sip:5000@[remote_ip]:[remote_port]>
Call-ID: [call_id]
CSeq: 1 CANCEL
Max-Forwards: 70
Content-Length: 0

]]></send>
<recv response="200"/>
<recv response="487"/>
<send><![CDATA[
ACK sip:5000@[remote_ip]:[remote_port] SIP/2.0
[last_Via:]
[last_From:]
[last_To:]
Call-ID: [call_id]
CSeq: 1 ACK
Max-Forwards: 70
Content-Length: 0

]]></send>
</scenario>
)x";

void SipBurst(benchmark::State& state) {
    const fs::path root = bench::FreshFolder();
    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    const fs::path work = root / "data" / "Tenko" / "Kanata195";
    fs::create_directories(work);
    const int port = freeUdpPort();
    std::ofstream(work / "KTComm3ip.ini")
        << "[IPPBX]\r\nHost=\r\n[SIP]\r\nLocalAddress=127.0.0.1\r\n"
        << "LocalPort=" << port << "\r\n";
    std::ofstream(root / "burst.xml") << kScenario;

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
        QProcess sipp;
        sipp.start("sipp",
                   {QString("127.0.0.1:%1").arg(port), "-sf",
                    QString::fromStdString((root / "burst.xml").string()), "-i", "127.0.0.1", "-p",
                    QString::number(freeUdpPort()), "-m", QString::number(kCalls), "-r", "1000",
                    "-l", "200", "-timeout", "60s", "-nostdin", "-bg"});
        int got = 0;
        std::unique_lock lock(mutex);
        while (got < kCalls &&
               std::chrono::steady_clock::now() - start < std::chrono::seconds(60)) {
            if (host.take())
                ++got;
            else
                woken.wait_for(lock, std::chrono::milliseconds(50));
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        reported += got;
        sipp.waitForFinished(60000);
    }
    dll->CloseLine();
    state.counters["calls/s"] = reported / seconds;
    state.counters["lost"] = double(kCalls * state.iterations() - reported);
    fs::remove_all(root);
}
BENCHMARK(SipBurst)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
