#include "platform/ThreadsAtExit.h"

#include <filesystem>
#include <thread>

namespace kanata {
namespace {

int threadCount() {
    std::error_code ec;
    int count = 0;
    for (std::filesystem::directory_iterator it("/proc/self/task", ec), end; !ec && it != end;
         it.increment(ec))
        ++count;
    return ec ? 1 : count;
}

} // namespace

bool waitForOtherThreadsToEnd(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (threadCount() > 1) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

} // namespace kanata
