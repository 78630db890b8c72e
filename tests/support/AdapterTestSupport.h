#pragma once
// Shared pieces of the adapter tests: a host whose messages can be awaited,
// the real adapter libraries from the build, and running the real ktcall.
#include "intake/AdapterHost.h"
#include "intake/TKTCommDLL.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace kanata::test {

class WaitableHost {
public:
    WaitableHost();
    AdapterHost& host() { return host_; }
    // The next message, waiting up to `timeout` for one to arrive; a call
    // comes as its WM_LINE_CALLDATA.
    std::optional<AdapterMessage> next(std::chrono::milliseconds timeout);

private:
    std::mutex mutex_;
    std::condition_variable woken_;
    AdapterHost host_;
};

struct ToolRun {
    int exitCode = -1;
    std::string out, err;
};
// Runs the built ktcall with the current environment.
ToolRun runKtcall(const std::vector<std::string>& args);

// The first 11 characters of a call-data line, trimmed: what the program
// takes as the number.
std::string numberField(const std::string& line);

} // namespace kanata::test
