#pragma once
// Real SIP peers for the SIP line's tests: sipp (Debian's sip-tester) run
// with scenarios the tests write, always on 127.0.0.1 and bounded in time;
// a host whose messages can be awaited; and the SIP line's settings file.

#include "tests/support/SippScenario.h"

#include <QProcess>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace kanata::test {

using sipp::freeUdpPort;

// One sipp process running one scenario against 127.0.0.1:remotePort from
// 127.0.0.1:localPort; killed when destroyed.
class Sipp {
public:
    Sipp(const std::filesystem::path& folder, const std::string& scenarioXml, int localPort,
         std::optional<int> remotePort, const std::vector<std::string>& extra = {});
    ~Sipp();
    // Started and, in server mode, listening on its port.
    bool started() const { return started_; }
    // Exit code after waiting up to `timeout` (-1 when it did not end).
    int finish(std::chrono::milliseconds timeout);
    // Waits for a file the scenario makes in its folder.
    bool waitForFile(const std::string& name, std::chrono::milliseconds timeout) const;
    // What sipp logged about failures, for assertion messages.
    std::string errors() const;

private:
    std::filesystem::path folder_;
    QProcess process_;
    bool started_ = false;
};

// Writes KTComm3ip.ini into the work folder.
void writeSipIni(const std::filesystem::path& workFolder, const std::string& text);

// INVITE, 180, CANCEL (its 200 checked to be the CANCEL's), 487 and ACK.
// `identity` holds the caller's header lines (From first) with the tag
// "[pid]SIPpTag00[call_number]" already in From. Fails on any 200 to the
// INVITE, since that comes where only the 180 may.
std::string cancelledCallScenario(const std::string& identity, const std::string& toUser);

// INVITE, 180, then the caller hangs up with BYE on the early dialog: the
// BYE gets its 200 and the INVITE 487 (in either order), and the ACK.
std::string hungUpCallScenario(const std::string& identity);

// INVITE answered with `status` (404: a number the line does not watch;
// 403: a host the line does not take calls from), then ACK; a 180 fails it.
std::string refusedCallScenario(const std::string& toUser, const std::string& status = "404");

} // namespace kanata::test
