#pragma once
// A TCP socket listening on a port of 127.0.0.1 that the kernel picked free,
// for the tests' stand-ins of servers and networks; closed with the object.
#include <cstdint>
#include <string>

namespace kanata::test {

class LoopbackListener {
public:
    // std::runtime_error naming `owner` when no such socket can be had: a
    // stand-in that did not listen would only make its test wait on nothing.
    explicit LoopbackListener(const std::string& owner, int backlog = 16);
    ~LoopbackListener();
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    int socket() const { return fd_; }
    std::uint16_t port() const { return port_; }

private:
    int fd_ = -1;
    std::uint16_t port_ = 0;
};

} // namespace kanata::test
