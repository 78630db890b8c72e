#include "tests/support/TcpRelay.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace kanata::test {
namespace {

std::runtime_error failure(const std::string& what) {
    return std::runtime_error("tcp relay: " + what + ": " + std::strerror(errno));
}

int connectTo(const std::string& host, const std::string& port) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0 || !found)
        return -1;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && ::connect(fd, found->ai_addr, found->ai_addrlen) != 0) {
        ::close(fd);
        freeaddrinfo(found);
        return -1;
    }
    freeaddrinfo(found);
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

} // namespace

TcpRelay::TcpRelay(const std::string& targetHost, const std::string& targetPort)
    : host_(targetHost), targetPort_(targetPort) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0)
        throw failure("pipe");
    wakeRead_ = pipeFds[0];
    wakeWrite_ = pipeFds[1];
    thread_ = std::thread([this] { run(); });
}

TcpRelay::~TcpRelay() {
    stop_ = true;
    wake();
    thread_.join();
    for (const Pair& pair : pairs_) {
        ::close(pair.client);
        ::close(pair.server);
    }
    ::close(wakeRead_);
    ::close(wakeWrite_);
}

void TcpRelay::hold() {
    std::lock_guard lock(mutex_);
    holdAll_ = true;
    for (Pair& pair : pairs_)
        pair.held = true;
    wake();
}

void TcpRelay::holdAfter(int count) {
    std::lock_guard lock(mutex_);
    holdAll_ = false;
    passesLeft_ = count;
    wake();
}

void TcpRelay::release() {
    std::lock_guard lock(mutex_);
    holdAll_ = false;
    passesLeft_ = -1;
    for (Pair& pair : pairs_)
        pair.held = false;
    wake();
}

void TcpRelay::wake() {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeWrite_, &byte, 1);
}

// One thread forwards everything: a held pair is simply not read, so its
// bytes wait in the kernel's buffers, acknowledged, as on a path whose
// retransmissions have not got through yet.
void TcpRelay::run() {
    while (!stop_) {
        std::vector<pollfd> fds{{wakeRead_, POLLIN, 0}, {listener_.socket(), POLLIN, 0}};
        {
            std::lock_guard lock(mutex_);
            for (const Pair& pair : pairs_) {
                const short events = pair.held ? 0 : POLLIN;
                fds.push_back({pair.client, events, 0});
                fds.push_back({pair.server, events, 0});
            }
        }
        if (::poll(fds.data(), fds.size(), 1000) <= 0)
            continue;
        if (fds[0].revents) {
            char drain[64];
            while (::read(wakeRead_, drain, sizeof drain) > 0) {
            }
        }
        if (fds[1].revents & POLLIN)
            acceptOne();
        std::lock_guard lock(mutex_);
        const std::size_t polled = (fds.size() - 2) / 2;
        std::vector<Pair> open;
        for (std::size_t i = 0; i < polled; ++i) {
            Pair& pair = pairs_[i];
            const short fromClient = fds[2 + 2 * i].revents;
            const short fromServer = fds[3 + 2 * i].revents;
            bool alive = true;
            if (!pair.held && fromClient)
                alive = forward(pair.client, pair.server);
            if (alive && !pair.held && fromServer)
                alive = forward(pair.server, pair.client);
            if (alive) {
                open.push_back(pair);
            } else {
                ::close(pair.client);
                ::close(pair.server);
            }
        }
        // Pairs accepted during this turn were added behind the polled ones.
        for (std::size_t i = polled; i < pairs_.size(); ++i)
            open.push_back(pairs_[i]);
        pairs_ = std::move(open);
    }
}

void TcpRelay::acceptOne() {
    const int client = ::accept4(listener_.socket(), nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0)
        return;
    ++accepted_;
    const int server = connectTo(host_, targetPort_);
    if (server < 0) {
        ::close(client); // as a refused connection: the server is down
        return;
    }
    const int one = 1;
    setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    std::lock_guard lock(mutex_);
    bool held = holdAll_;
    if (passesLeft_ == 0)
        held = true;
    else if (passesLeft_ > 0)
        --passesLeft_;
    pairs_.push_back({client, server, held});
}

bool TcpRelay::forward(int from, int to) {
    char buffer[65536];
    const ssize_t n = ::recv(from, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n == 0)
        return false;
    if (n < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    for (ssize_t sent = 0; sent < n;) {
        const ssize_t m =
            ::send(to, buffer + sent, static_cast<std::size_t>(n - sent), MSG_NOSIGNAL);
        if (m < 0 && errno == EINTR)
            continue;
        if (m <= 0)
            return false;
        sent += m;
    }
    return true;
}

} // namespace kanata::test
