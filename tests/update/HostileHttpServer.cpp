#include "tests/update/HostileHttpServer.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kanata::test {
namespace {

constexpr int kPollMs = 50;

// Waits until `socket` is ready for `events`; false when stopping.
bool ready(int socket, short events, const std::atomic<bool>& stopping) {
    while (!stopping) {
        pollfd p{socket, events, 0};
        const int n = ::poll(&p, 1, kPollMs);
        if (n > 0)
            return true;
        if (n < 0)
            return false;
    }
    return false;
}

std::string requestedPath(const std::string& request) {
    const std::size_t start = request.find(' ');
    const std::size_t end = request.find(' ', start + 1);
    return start == std::string::npos || end == std::string::npos
               ? std::string()
               : request.substr(start + 1, end - start - 1);
}

std::string head(const HostilePage& page) {
    std::string h = "HTTP/1.1 " + std::to_string(page.status) +
                    (page.status == 200 ? " OK" : " Not Found") +
                    "\r\nContent-Type: application/octet-stream\r\n";
    if (page.announceLength)
        h += "Content-Length: " +
             std::to_string(static_cast<std::int64_t>(page.body.size()) + page.filler) + "\r\n";
    return h + "Connection: close\r\n\r\n";
}

} // namespace

HostileHttpServer::HostileHttpServer() {
    acceptor_ = std::thread([this] { acceptLoop(); });
}

HostileHttpServer::~HostileHttpServer() {
    stopping_ = true;
    if (acceptor_.joinable())
        acceptor_.join();
    for (std::thread& t : threads_)
        t.join();
}

void HostileHttpServer::serve(const std::string& path, HostilePage page) {
    std::lock_guard lock(mutex_);
    pages_[path] = std::move(page);
}

std::vector<std::string> HostileHttpServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void HostileHttpServer::acceptLoop() {
    while (ready(listener_.socket(), POLLIN, stopping_)) {
        const int socket = ::accept4(listener_.socket(), nullptr, nullptr, SOCK_CLOEXEC);
        if (socket < 0)
            continue;
        // Only the acceptor adds threads; the destructor joins them after it.
        threads_.emplace_back([this, socket] {
            answer(socket);
            ::close(socket);
        });
    }
}

bool HostileHttpServer::pause(std::chrono::milliseconds time) const {
    const auto until = std::chrono::steady_clock::now() + time;
    while (!stopping_ && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(
            std::chrono::milliseconds(std::min<long>(kPollMs, time.count())));
    return !stopping_;
}

bool HostileHttpServer::sendAll(int socket, const char* data, std::size_t size) {
    while (size > 0) {
        if (!ready(socket, POLLOUT, stopping_))
            return false;
        const ssize_t n = ::send(socket, data, size, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void HostileHttpServer::answer(int socket) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        if (!ready(socket, POLLIN, stopping_))
            return;
        const ssize_t n = ::recv(socket, buffer, sizeof buffer, 0);
        if (n <= 0)
            return;
        request.append(buffer, static_cast<std::size_t>(n));
    }
    HostilePage page{.status = 404, .body = "not here"};
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(requestedPath(request));
        if (const auto found = pages_.find(requests_.back()); found != pages_.end())
            page = found->second;
    }
    const auto holdOpen = [this] {
        while (pause(std::chrono::milliseconds(kPollMs))) {
        }
    };
    if (page.silent)
        return holdOpen();
    const std::string h = head(page);
    if (!sendAll(socket, h.data(), h.size()))
        return;
    for (std::size_t at = 0; at < page.body.size(); at += page.pieceBytes) {
        const std::size_t n = std::min(page.pieceBytes, page.body.size() - at);
        if (!pause(page.pace) || !sendAll(socket, page.body.data() + at, n))
            return;
        sent_ += static_cast<std::int64_t>(n);
    }
    if (page.stallAfterBody)
        return holdOpen();
    const std::string piece(page.pieceBytes, 'x');
    for (std::int64_t left = page.filler; left > 0;) {
        const std::size_t n = static_cast<std::size_t>(
            std::min<std::int64_t>(left, static_cast<std::int64_t>(piece.size())));
        if (!pause(page.pace) || !sendAll(socket, piece.data(), n))
            return;
        sent_ += static_cast<std::int64_t>(n);
        left -= static_cast<std::int64_t>(n);
    }
}

} // namespace kanata::test
