#pragma once
// A TCP relay on 127.0.0.1 between the program and its server, standing in
// for the network between them. It can fall silent as a broken path does:
// held connections forward nothing either way, yet nothing is reset (what
// is sent waits in the buffers, as it would for the retransmissions of a
// path that comes back), and the server may be cut off from new connections
// too. Released, it forwards what waited, in order.
#include "tests/support/LoopbackListener.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kanata::test {

class TcpRelay {
public:
    // Listens on a free port of 127.0.0.1 and forwards every connection to
    // targetHost:targetPort. std::runtime_error when it cannot listen.
    TcpRelay(const std::string& targetHost, const std::string& targetPort);
    ~TcpRelay();
    TcpRelay(const TcpRelay&) = delete;
    TcpRelay& operator=(const TcpRelay&) = delete;

    std::string port() const { return std::to_string(listener_.port()); }

    // Every connection, open or still to come, forwards nothing from now on.
    void hold();
    // The next `count` connections go through; the ones after them are held
    // as they come. Connections held already stay held.
    void holdAfter(int count);
    // Everything forwards again, what waited first.
    void release();
    // Connections accepted so far.
    int accepted() const { return accepted_; }

private:
    struct Pair {
        int client = -1;
        int server = -1;
        bool held = false;
    };
    void run();
    void acceptOne();
    bool forward(int from, int to);
    void wake();

    std::string host_;
    std::string targetPort_;
    LoopbackListener listener_{"tcp relay"};
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::mutex mutex_;
    std::vector<Pair> pairs_;
    int passesLeft_ = -1; // -1: all pass
    bool holdAll_ = false;
    std::atomic<int> accepted_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace kanata::test
