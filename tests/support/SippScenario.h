#pragma once
// sipp (Debian's sip-tester) as the SIP line's peer, always on 127.0.0.1:
// a free port, the start of its command line, and the pieces its scenarios
// are made of. Header only, so that the SIP benchmark (built without the
// tests) drives sipp the same way the SIP line's tests do.
#include <QString>
#include <QStringList>

#include <arpa/inet.h>
#include <cstdint>
#include <filesystem>
#include <netinet/in.h>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace kanata::sipp {

inline constexpr const char* kLoopback = "127.0.0.1";

// Binds a socket of `type` to 127.0.0.1:port for a moment (port 0: any
// free one); the port it got, or -1 when it is taken.
inline int bindBriefly(int type, int port) {
    const int fd = socket(AF_INET, type | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    inet_pton(AF_INET, kLoopback, &address.sin_addr);
    socklen_t size = sizeof address;
    int bound = -1;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        bound = ntohs(address.sin_port);
    ::close(fd);
    return bound;
}

inline int bindUdpBriefly(int port) {
    return bindBriefly(SOCK_DGRAM, port);
}

// A port on 127.0.0.1 that nobody uses for UDP or TCP at the moment of
// asking (-1 when none is found): the SIP stack binds both. It lies below
// Linux's range of ports given out on demand (32768 and up), where any
// other test's outgoing connection could take it before the port is
// bound; each process starts from a place of its own, so that tests run
// side by side do not pick the same one.
inline int freeUdpPort() {
    constexpr int kFirst = 20000, kCount = 12000;
    static int next = static_cast<int>(getpid()) * 37;
    for (int tries = 0; tries < kCount; ++tries) {
        const int port = kFirst + next++ % kCount;
        if (bindBriefly(SOCK_DGRAM, port) == port && bindBriefly(SOCK_STREAM, port) == port)
            return port;
    }
    return -1;
}

// The arguments every run starts with: the scenario file, played from
// 127.0.0.1:localPort towards 127.0.0.1:remotePort (without one, sipp
// waits for the other side on its port).
inline QStringList arguments(const std::filesystem::path& scenarioFile, int localPort,
                             std::optional<int> remotePort) {
    QStringList args;
    if (remotePort)
        args << QString("%1:%2").arg(kLoopback).arg(*remotePort);
    args << "-sf" << QString::fromStdString(scenarioFile.string()) << "-i" << kLoopback << "-p"
         << QString::number(localPort);
    return args;
}

inline std::string scenario(const std::string& name, const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<scenario name=\"" + name + "\">\n" + body +
           "</scenario>\n";
}

inline const std::string kVia =
    "Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=[branch]\n";

// A request without a body: `headers` (complete lines) come before Call-ID
// and CSeq, `more` after them. A retransmitted one is sent again every
// 500 ms until something answers.
inline std::string request(const std::string& method, const std::string& uri,
                           const std::string& headers, int cseq, const std::string& more = {},
                           bool retransmitted = false) {
    return std::string(retransmitted ? "<send retrans=\"500\">" : "<send>") + "<![CDATA[\n" +
           method + " " + uri + " SIP/2.0\n" + headers +
           "Call-ID: [call_id]\nCSeq: " + std::to_string(cseq) + " " + method + "\n" + more +
           "Max-Forwards: 70\nContent-Length: 0\n\n]]></send>\n";
}

// The caller's INVITE; `identity` holds its header lines, From first.
inline std::string invite(const std::string& uri, const std::string& identity) {
    return request("INVITE", uri, kVia + identity + "\nTo: <" + uri + ">\n", 1,
                   "Contact: <sip:caller@[local_ip]:[local_port]>\n", true);
}

inline const std::string kRinging =
    "<recv response=\"100\" optional=\"true\"/>\n<recv response=\"180\"/>\n";

// The 200 that must answer `method` (by its CSeq), not any other request.
inline std::string okTo(const std::string& method) {
    return "<recv response=\"200\">\n  <action><ereg regexp=\"" + method +
           "\" search_in=\"hdr\" header=\"CSeq:\" check_it=\"true\" assign_to=\"m\"/>\n"
           "  <log message=\"[$m]\"/></action>\n</recv>\n";
}

inline const std::string kAnyOk = "<recv response=\"200\"/>\n";

// INVITE, 180, CANCEL, the CANCEL's 200 (`cancelAnswer`: okTo("CANCEL") or
// kAnyOk), 487 and ACK.
inline std::string cancelledCall(const std::string& uri, const std::string& identity,
                                 const std::string& cancelAnswer) {
    return invite(uri, identity) + kRinging +
           request("CANCEL", uri, "[last_Via:]\n[last_From:]\nTo: <" + uri + ">\n", 1) +
           cancelAnswer + "<recv response=\"487\"/>\n" +
           request("ACK", uri, "[last_Via:]\n[last_From:]\n[last_To:]\n", 1);
}

} // namespace kanata::sipp
