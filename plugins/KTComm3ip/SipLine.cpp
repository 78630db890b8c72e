#include "plugins/KTComm3ip/SipLine.h"

#include "plugins/KTComm3ip/RegistrationTracker.h"
#include "plugins/KTComm3ip/SipAgent.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kanata::adapter {
namespace {

constexpr auto kOpenTimeout = std::chrono::seconds(10);

// Whether a UDP socket can be bound at address:port right now: 0 yes, 1 the
// port is taken, 2 the address is not usable.
std::int32_t probeLocalPort(const std::string& address, int port) {
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(static_cast<std::uint16_t>(port));
    if (address.empty())
        where.sin_addr.s_addr = htonl(INADDR_ANY);
    else if (inet_pton(AF_INET, address.c_str(), &where.sin_addr) != 1)
        return 2;
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return 2;
    const int rc = bind(fd, reinterpret_cast<const sockaddr*>(&where), sizeof where);
    const int error = errno;
    ::close(fd);
    if (rc == 0)
        return KT_OPEN_OK;
    return error == EADDRINUSE ? KT_OPEN_PORT_IN_USE : 2;
}

int onStopRequest(su_root_magic_t*, su_wait_t* wait, su_wakeup_arg_t* agent) {
    std::uint64_t count = 0;
    [[maybe_unused]] auto r = ::read(wait->fd, &count, sizeof count);
    static_cast<SipAgent*>(agent)->shutdown();
    return 0;
}

} // namespace

std::string listenAddressFor(const SipSettings& settings) {
    if (!settings.localAddress.empty())
        return settings.localAddress;
    const auto registrar = parseHostAndPort(settings.host);
    sockaddr_in pbx{};
    pbx.sin_family = AF_INET;
    if (!registrar || inet_pton(AF_INET, registrar->host.c_str(), &pbx.sin_addr) != 1)
        return {};
    pbx.sin_port = htons(static_cast<std::uint16_t>(registrar->port));
    // Connecting a UDP socket sends nothing; it only asks the routing table
    // which of our addresses faces the PBX.
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    std::string address;
    sockaddr_in local{};
    socklen_t size = sizeof local;
    char text[INET_ADDRSTRLEN] = {};
    if (fd >= 0 && connect(fd, reinterpret_cast<const sockaddr*>(&pbx), sizeof pbx) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&local), &size) == 0 &&
        inet_ntop(AF_INET, &local.sin_addr, text, sizeof text))
        address = text;
    if (fd >= 0)
        ::close(fd);
    return address;
}

SipLine::SipLine(EventPoster poster, std::filesystem::path iniFile)
    : poster_(poster), iniFile_(std::move(iniFile)) {}

SipLine::~SipLine() {
    close();
}

std::int32_t SipLine::open(std::int32_t) {
    SipSettings settings = readSipSettings(iniFile_);
    std::string address = listenAddressFor(settings);
    if (const std::int32_t probe = probeLocalPort(address, settings.localPort); probe != KT_OPEN_OK)
        return probe;
    stop_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stop_ < 0)
        return 2;
    std::promise<std::int32_t> opened;
    std::future<std::int32_t> result = opened.get_future();
    thread_ = std::thread([this, settings = std::move(settings), address = std::move(address),
                           opened = std::move(opened)]() mutable {
        run(std::move(settings), std::move(address), std::move(opened));
    });
    if (result.wait_for(kOpenTimeout) != std::future_status::ready || result.get() != KT_OPEN_OK) {
        close();
        return 2;
    }
    return KT_OPEN_OK;
}

void SipLine::run(SipSettings settings, std::string listenAddress,
                  std::promise<std::int32_t> opened) {
    su_init();
    su_root_t* root = su_root_create(nullptr);
    {
        SipAgent agent(root, std::move(settings), poster_);
        su_wait_t wait[1];
        const int registered = root && su_wait_create(wait, stop_, SU_WAIT_IN) == 0
                                   ? su_root_register(root, wait, &onStopRequest, &agent, 0)
                                   : -1;
        if (registered < 0 || !agent.start(listenAddress)) {
            opened.set_value(2);
        } else {
            opened.set_value(KT_OPEN_OK);
            su_root_run(root);
        }
        if (registered >= 0)
            su_root_deregister(root, registered);
    }
    if (root)
        su_root_destroy(root);
    su_deinit();
}

void SipLine::close() {
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] auto w = ::write(stop_, &one, sizeof one);
        thread_.join();
    }
    if (stop_ >= 0)
        ::close(stop_);
    stop_ = -1;
}

std::int32_t SipLine::dial(std::int32_t, const std::string&) {
    poster_.notice(kNoticeDialNotOffered,
                   "SIP の機種では着信帳から発信できません\r\n電話機から発信してください");
    return 1;
}

} // namespace kanata::adapter
