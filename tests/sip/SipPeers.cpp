#include "tests/sip/SipPeers.h"

#include <arpa/inet.h>
#include <fstream>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace kanata::test {

int freeUdpPort() {
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    inet_pton(AF_INET, kLoopback, &address.sin_addr);
    socklen_t size = sizeof address;
    int port = -1;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

namespace {

bool portTaken(int port) {
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    inet_pton(AF_INET, kLoopback, &address.sin_addr);
    const bool taken = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0;
    ::close(fd);
    return taken;
}

// A server-mode sipp must be listening before the line sends to it.
bool waitUntilBound(int port) {
    for (int i = 0; i < 100; ++i) {
        if (portTaken(port))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

} // namespace

Sipp::Sipp(const std::filesystem::path& folder, const std::string& scenarioXml, int localPort,
           std::optional<int> remotePort, const std::vector<std::string>& extra)
    : folder_(folder) {
    std::filesystem::create_directories(folder_);
    const auto scenario = folder_ / "scenario.xml";
    std::ofstream(scenario) << scenarioXml;
    QStringList args;
    if (remotePort)
        args << QString("%1:%2").arg(kLoopback).arg(*remotePort);
    args << "-sf" << QString::fromStdString(scenario.string()) << "-i" << kLoopback << "-p"
         << QString::number(localPort) << "-m"
         << "1"
         << "-timeout"
         << "20s"
         << "-timeout_error"
         << "-nostdin"
         << "-trace_err"
         << "-error_file" << QString::fromStdString((folder_ / "errors.log").string());
    for (const std::string& e : extra)
        args << QString::fromStdString(e);
    process_.setWorkingDirectory(QString::fromStdString(folder_.string()));
    process_.setStandardOutputFile(QString::fromStdString((folder_ / "screen.log").string()));
    process_.start("sipp", args);
    started_ = process_.waitForStarted(5000) && (remotePort || waitUntilBound(localPort));
}

Sipp::~Sipp() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

int Sipp::finish(std::chrono::milliseconds timeout) {
    if (!process_.waitForFinished(static_cast<int>(timeout.count())))
        return -1;
    return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
}

bool Sipp::waitForFile(const std::string& name, std::chrono::milliseconds timeout) const {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!std::filesystem::exists(folder_ / name)) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::string Sipp::errors() const {
    std::ifstream in(folder_ / "errors.log"), screen(folder_ / "screen.log");
    return std::string(std::istreambuf_iterator<char>(in), {}) +
           std::string(std::istreambuf_iterator<char>(screen), {});
}

void writeSipIni(const std::filesystem::path& workFolder, const std::string& text) {
    std::filesystem::create_directories(workFolder);
    std::ofstream(workFolder / "KTComm3ip.ini", std::ios::binary) << text;
}

std::string cancelledCallScenario(const std::string& identity, const std::string& toUser) {
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<scenario name="cancelled call">
<send retrans="500"><![CDATA[
INVITE sip:)" +
           toUser +
           R"(@[remote_ip]:[remote_port] SIP/2.0
Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=[branch]
)" + identity +
           R"(
To: <sip:)" +
           toUser +
           R"(@[remote_ip]:[remote_port]>
Call-ID: [call_id]
CSeq: 1 INVITE
Contact: <sip:caller@[local_ip]:[local_port]>
Max-Forwards: 70
Content-Length: 0

]]></send>
<recv response="100" optional="true"/>
<recv response="180"/>
<send><![CDATA[
CANCEL sip:)" +
           toUser +
           R"(@[remote_ip]:[remote_port] SIP/2.0
[last_Via:]
[last_From:]
To: <sip:)" +
           toUser +
           R"(@[remote_ip]:[remote_port]>
Call-ID: [call_id]
CSeq: 1 CANCEL
Max-Forwards: 70
Content-Length: 0

]]></send>
<recv response="200">
  <action><ereg regexp="CANCEL" search_in="hdr" header="CSeq:" check_it="true" assign_to="m"/><log message="[$m]"/></action>
</recv>
<recv response="487"/>
<send><![CDATA[
ACK sip:)" +
           toUser +
           R"(@[remote_ip]:[remote_port] SIP/2.0
[last_Via:]
[last_From:]
[last_To:]
Call-ID: [call_id]
CSeq: 1 ACK
Max-Forwards: 70
Content-Length: 0

]]></send>
</scenario>
)";
}

std::string refusedCallScenario(const std::string& toUser) {
    const std::string uri = "sip:" + toUser + "@[remote_ip]:[remote_port]";
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<scenario name="refused call">
<send retrans="500"><![CDATA[
INVITE )" + uri +
           R"( SIP/2.0
Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=[branch]
From: <sip:0312345678@[local_ip]>;tag=[pid]SIPpTag00[call_number]
To: <)" + uri +
           R"(>
Call-ID: [call_id]
CSeq: 1 INVITE
Contact: <sip:caller@[local_ip]:[local_port]>
Max-Forwards: 70
Content-Length: 0

]]></send>
<recv response="100" optional="true"/>
<recv response="404"/>
<send><![CDATA[
ACK )" + uri +
           R"( SIP/2.0
[last_Via:]
[last_From:]
[last_To:]
Call-ID: [call_id]
CSeq: 1 ACK
Max-Forwards: 70
Content-Length: 0

]]></send>
</scenario>
)";
}

std::string hungUpCallScenario(const std::string& identity) {
    const std::string uri = "sip:5000@[remote_ip]:[remote_port]";
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<scenario name="hung up call">
<send retrans="500"><![CDATA[
INVITE )" + uri +
           R"( SIP/2.0
Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=[branch]
)" + identity +
           R"(
To: <)" + uri +
           R"(>
Call-ID: [call_id]
CSeq: 1 INVITE
Contact: <sip:caller@[local_ip]:[local_port]>
Max-Forwards: 70
Content-Length: 0

]]></send>
<recv response="100" optional="true"/>
<recv response="180"/>
<send><![CDATA[
BYE )" + uri +
           R"( SIP/2.0
Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=[branch]
[last_From:]
[last_To:]
Call-ID: [call_id]
CSeq: 2 BYE
Max-Forwards: 70
Content-Length: 0

]]></send>
<recv response="487" optional="true" next="ack"/>
<recv response="200">
  <action><ereg regexp="BYE" search_in="hdr" header="CSeq:" check_it="true" assign_to="m"/>
  <log message="[$m]"/></action>
</recv>
<recv response="487"/>
<label id="ack"/>
<send><![CDATA[
ACK )" + uri +
           R"( SIP/2.0
Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=[branch]
[last_From:]
[last_To:]
Call-ID: [call_id]
CSeq: 1 ACK
Max-Forwards: 70
Content-Length: 0

]]></send>
</scenario>
)";
}

} // namespace kanata::test
