#pragma once
// The SIP model's settings from KTComm3ip.ini in the work folder, which the
// program's IP-PBX details dialog writes.
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kanata::adapter {

inline constexpr const char* kIpAdapterIniName = "KTComm3ip.ini";
inline constexpr int kDefaultRegistrarPort = 5060;
inline constexpr int kDefaultLocalPort = 5062;
inline constexpr int kDefaultRegisterExpires = 600;

struct HostAndPort {
    std::string host;
    int port = kDefaultRegistrarPort;
};

struct SipSettings {
    // IPPBX Host as written ("192.168.1.1" or "192.168.1.1:5070"); empty
    // when the line only takes calls sent straight to it.
    std::string host;
    std::string user;     // IPPBX User, else SIP From: our extension
    std::string password; // IPPBX Password
    // IPPBX Telno split at commas, blanks dropped; empty means every call.
    std::vector<std::string> watchedNumbers;
    int localPort = kDefaultLocalPort;
    // Listen only on this address; empty means the address that reaches
    // the IP-PBX (or every address when there is no IP-PBX).
    std::string localAddress;
    int registerExpires = kDefaultRegisterExpires;
    // IPPBX AcceptFrom as written: the hosts whose INVITEs the line takes,
    // separated by commas; empty means the registrar of `host` alone.
    std::string acceptFrom;
};

// Reads the file as the Windows profile functions would: names compare
// without ASCII case, values lose surrounding blanks and one pair of double
// quotes, ';' starts a comment line, the first of duplicates wins. A missing
// file gives the defaults; only the first kMaxSipSettingsBytes are read.
inline constexpr std::size_t kMaxSipSettingsBytes = 64 * 1024;
SipSettings readSipSettings(const std::filesystem::path& iniFile);
SipSettings parseSipSettings(std::string_view iniText);

// "host" or "host:port" with a port of 1 to 65535; none for anything else.
std::optional<HostAndPort> parseHostAndPort(std::string_view text);

} // namespace kanata::adapter
