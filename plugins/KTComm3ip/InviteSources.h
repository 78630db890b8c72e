#pragma once
// Which hosts may offer the line a call. The caller's number is whatever
// the INVITE claims, so a line registered with an IP-PBX takes calls only
// from that PBX: any other host that reaches the local port could report a
// caller of its choosing.
#include "plugins/KTComm3ip/SipSettings.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sockaddr;

namespace kanata::adapter {

// Where a request came from: the address in its usual text form (an IPv4
// address mapped into IPv6 written as IPv4) and the port.
struct SourceAddress {
    std::string address;
    int port = 0;
};

std::optional<SourceAddress> sourceAddressOf(const sockaddr* address);

class InviteSources {
public:
    // [IPPBX] AcceptFrom, when set, lists the hosts ("address" or
    // "address:port", IPv6 in brackets with a port, names resolved once
    // here); otherwise the registrar of [IPPBX] Host is the only one, from
    // any port. Without Host and list every host may call (calls sent
    // straight to the line).
    explicit InviteSources(const SipSettings& settings);

    bool admits(const SourceAddress& source) const;
    bool restricted() const { return restricted_; }

private:
    struct Allowed {
        std::string address;
        std::optional<int> port;
    };
    void allow(std::string_view entry);

    bool restricted_ = false;
    std::vector<Allowed> allowed_;
};

} // namespace kanata::adapter
