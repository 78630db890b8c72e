#include "tests/sip/SipPeers.h"

#include <fstream>
#include <thread>

namespace kanata::test {

namespace {

// A server-mode sipp must be listening before the line sends to it.
bool waitUntilBound(int port) {
    for (int i = 0; i < 100; ++i) {
        if (sipp::bindUdpBriefly(port) < 0)
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
    QStringList args = sipp::arguments(scenario, localPort, remotePort);
    args << "-m"
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
    return sipp::scenario("cancelled call",
                          sipp::cancelledCall("sip:" + toUser + "@[remote_ip]:[remote_port]",
                                              identity, sipp::okTo("CANCEL")));
}

std::string refusedCallScenario(const std::string& toUser, const std::string& status) {
    const std::string uri = "sip:" + toUser + "@[remote_ip]:[remote_port]";
    return sipp::scenario(
        "refused call",
        sipp::invite(uri, "From: <sip:0312345678@[local_ip]>;tag=[pid]SIPpTag00[call_number]") +
            "<recv response=\"100\" optional=\"true\"/>\n<recv response=\"" + status + "\"/>\n" +
            sipp::request("ACK", uri, "[last_Via:]\n[last_From:]\n[last_To:]\n", 1));
}

std::string hungUpCallScenario(const std::string& identity) {
    const std::string uri = "sip:5000@[remote_ip]:[remote_port]";
    const std::string dialog = sipp::kVia + "[last_From:]\n[last_To:]\n";
    return sipp::scenario(
        "hung up call", sipp::invite(uri, identity) + sipp::kRinging +
                            sipp::request("BYE", uri, dialog, 2) +
                            "<recv response=\"487\" optional=\"true\" next=\"ack\"/>\n" +
                            sipp::okTo("BYE") + "<recv response=\"487\"/>\n<label id=\"ack\"/>\n" +
                            sipp::request("ACK", uri, dialog, 1));
}

} // namespace kanata::test
