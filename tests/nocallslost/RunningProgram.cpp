#include "tests/nocallslost/RunningProgram.h"

#include "tests/support/TempFolders.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace kanata::test {
namespace {

// Starts `program` with `args`, standard output and error appended to `out`
// (or discarded when empty). The environment is this process's, which
// holds the test's XDG folders.
pid_t spawn(const std::filesystem::path& program, const std::vector<std::string>& args,
            const std::filesystem::path& out) {
    std::vector<std::string> argv{program.string()};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> raw;
    for (auto& a : argv)
        raw.push_back(a.data());
    raw.push_back(nullptr);
    // Everything the child needs is made before fork: another thread of the
    // test may hold the allocator's lock at that moment.
    std::vector<std::string> env{"QT_QPA_PLATFORM=offscreen", "KANATA_NO_SPLASH=1",
                                 "KANATA_HEADLESS_MESSAGES=1"};
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (!entry.starts_with("QT_QPA_PLATFORM=") && !entry.starts_with("KANATA_"))
            env.push_back(entry);
    }
    std::vector<char*> envp;
    for (auto& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    const std::string outPath = out.string();
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    const int fd = outPath.empty() ? ::open("/dev/null", O_WRONLY)
                                   : ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd >= 0) {
        ::dup2(fd, 1);
        ::dup2(fd, 2);
    }
    ::execve(raw[0], raw.data(), envp.data());
    ::_exit(127);
}

int waitExit(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string readFrom(const std::filesystem::path& file, std::uintmax_t offset) {
    std::ifstream in(file, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(offset));
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

RunningProgram::RunningProgram(std::filesystem::path log) : log_(std::move(log)) {}

RunningProgram::~RunningProgram() {
    if (running())
        kill();
}

void RunningProgram::start() {
    std::error_code ec;
    logStart_ = std::filesystem::exists(log_) ? std::filesystem::file_size(log_, ec) : 0;
    pid_ = spawn(stageFolder() / "kanata195", {}, log_);
}

void RunningProgram::kill() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGKILL);
    waitExit(pid_);
    pid_ = -1;
}

bool RunningProgram::ready() const {
    return readFrom(log_, logStart_).find("ready for calls") != std::string::npos;
}

bool RunningProgram::waitReady(std::chrono::milliseconds timeout) const {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!ready()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

int runKtcall(const std::vector<std::string>& args) {
    return waitExit(spawn(stageFolder() / "ktcall", args, {}));
}

std::vector<std::string> sendCalls(const std::vector<std::string>& numbers,
                                   const std::filesystem::path& scratch) {
    std::filesystem::remove(scratch);
    waitExit(spawn(stageFolder() / "ktcall", numbers, scratch));
    std::vector<std::string> accepted;
    std::ifstream in(scratch);
    std::string line;
    while (std::getline(in, line))
        if (line.starts_with("OK "))
            accepted.push_back(line.substr(3));
    return accepted;
}

bool prepareDemoFolder() {
    return waitExit(spawn(stageFolder() / "kanata-demo", {"--empty"}, {})) == 0;
}

} // namespace kanata::test
