#include "plugins/KTComm3ip/InviteSources.h"

#include "plugins/common/CallData.h"

#include <algorithm>
#include <arpa/inet.h>
#include <charconv>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace kanata::adapter {
namespace {

struct HostEntry {
    std::string host;
    std::optional<int> port;
};

std::optional<int> portOf(std::string_view text) {
    int port = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (ec != std::errc() || end != text.data() + text.size() || port < 1 || port > 65535)
        return std::nullopt;
    return port;
}

// "host", "host:port", "[v6]", "[v6]:port" or a bare IPv6 address.
std::optional<HostEntry> parseEntry(std::string_view text) {
    if (text.starts_with('[')) {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        HostEntry entry{std::string(text.substr(1, close - 1)), std::nullopt};
        const std::string_view rest = text.substr(close + 1);
        if (rest.empty())
            return entry;
        if (!rest.starts_with(':') || !(entry.port = portOf(rest.substr(1))))
            return std::nullopt;
        return entry;
    }
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || text.find(':', colon + 1) != std::string_view::npos)
        return HostEntry{std::string(text), std::nullopt};
    const auto port = portOf(text.substr(colon + 1));
    if (!port || colon == 0)
        return std::nullopt;
    return HostEntry{std::string(text.substr(0, colon)), port};
}

// Every address a host stands for: an address literal itself, a name what
// the resolver gives (nothing when it gives nothing, so a name that does not
// resolve admits nobody).
std::vector<std::string> addressesOf(const std::string& host) {
    std::vector<std::string> addresses;
    addrinfo hints{};
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0)
        return addresses;
    for (const addrinfo* a = found; a; a = a->ai_next)
        if (auto source = sourceAddressOf(a->ai_addr))
            addresses.push_back(source->address);
    freeaddrinfo(found);
    return addresses;
}

std::vector<std::string> splitList(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    while (from <= text.size()) {
        const std::size_t comma = std::min(text.find(',', from), text.size());
        if (std::string part = trimBlanks(text.substr(from, comma - from)); !part.empty())
            parts.push_back(std::move(part));
        from = comma + 1;
    }
    return parts;
}

} // namespace

std::optional<SourceAddress> sourceAddressOf(const sockaddr* address) {
    if (!address)
        return std::nullopt;
    char text[INET6_ADDRSTRLEN] = {};
    if (address->sa_family == AF_INET) {
        sockaddr_in v4;
        std::memcpy(&v4, address, sizeof v4);
        if (!inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text))
            return std::nullopt;
        return SourceAddress{text, ntohs(v4.sin_port)};
    }
    if (address->sa_family == AF_INET6) {
        sockaddr_in6 v6;
        std::memcpy(&v6, address, sizeof v6);
        const int port = ntohs(v6.sin6_port);
        if (IN6_IS_ADDR_V4MAPPED(&v6.sin6_addr)) {
            if (!inet_ntop(AF_INET, &v6.sin6_addr.s6_addr[12], text, sizeof text))
                return std::nullopt;
        } else if (!inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text)) {
            return std::nullopt;
        }
        return SourceAddress{text, port};
    }
    return std::nullopt;
}

InviteSources::InviteSources(const SipSettings& settings) {
    const std::vector<std::string> listed = splitList(settings.acceptFrom);
    restricted_ = !listed.empty() || !trimBlanks(settings.host).empty();
    if (!listed.empty()) {
        for (const std::string& entry : listed)
            allow(entry);
    } else if (const auto registrar = parseHostAndPort(settings.host)) {
        // The PBX may send its calls from another port than it registers on.
        for (const std::string& address : addressesOf(registrar->host))
            allowed_.push_back({address, std::nullopt});
    }
}

void InviteSources::allow(std::string_view text) {
    const auto entry = parseEntry(text);
    if (!entry)
        return; // a malformed entry admits nobody
    for (const std::string& address : addressesOf(entry->host))
        allowed_.push_back({address, entry->port});
}

bool InviteSources::admits(const SourceAddress& source) const {
    if (!restricted_)
        return true;
    for (const Allowed& a : allowed_)
        if (a.address == source.address && (!a.port || *a.port == source.port))
            return true;
    return false;
}

} // namespace kanata::adapter
