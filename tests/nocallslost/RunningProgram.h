#pragma once
// The real program as a child process of the test, on the test's private
// work folder, and the real ktcall: what a user and a crash would meet.
// Plain fork and exec, so that another thread may kill the program at any
// moment while this one sends calls.
#include <chrono>
#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace kanata::test {

class RunningProgram {
public:
    // `log` receives the program's standard error (appended to).
    explicit RunningProgram(std::filesystem::path log);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    void start();
    // SIGKILL, and waits until the process is gone.
    void kill();
    bool running() const { return pid_ > 0; }
    // Whether this run printed that it takes calls.
    bool ready() const;
    bool waitReady(std::chrono::milliseconds timeout) const;

private:
    std::filesystem::path log_;
    std::uintmax_t logStart_ = 0;
    pid_t pid_ = -1;
};

// Runs the built ktcall with `args`; its exit code (0 = the call was
// accepted), -1 when it did not end normally.
int runKtcall(const std::vector<std::string>& args);

// Sends `numbers` with one ktcall, one call after another; the numbers ktcall
// reported as accepted, in order. `scratch` receives ktcall's output.
std::vector<std::string> sendCalls(const std::vector<std::string>& numbers,
                                   const std::filesystem::path& scratch);

// Prepares the work folder with the demo tool (simulator adapter, raw call
// log on); false when it failed.
bool prepareDemoFolder();

} // namespace kanata::test
