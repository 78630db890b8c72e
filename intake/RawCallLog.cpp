#include "intake/RawCallLog.h"

#include "platform/FileDescriptor.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace kanata {
namespace {

[[noreturn]] void fail(const std::filesystem::path& file, int error) {
    throw std::runtime_error(file.string() + ": " + std::strerror(error));
}

} // namespace

std::filesystem::path RawCallLog::fileFor(const DateTime& at) const {
    char name[16];
    std::snprintf(name, sizeof name, "%04d%02d%02d.txt", at.year, at.month, at.day);
    return folder_ / name;
}

std::string RawCallLog::lineFor(const DateTime& at, std::string_view raw) {
    char time[16];
    std::snprintf(time, sizeof time, "%02d:%02d:%02d,", at.hour, at.minute, at.second);
    std::string line = time;
    line.append(raw);
    line += "\r\n";
    return line;
}

void RawCallLog::append(const DateTime& at, std::string_view raw,
                        const std::function<void(std::uint64_t)>& starting) {
    const std::filesystem::path file = fileFor(at);
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    FileDescriptor fd(::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
    if (fd.get() < 0)
        fail(file, errno);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        fail(file, errno);
    if (starting)
        starting(static_cast<std::uint64_t>(info.st_size));
    const std::string line = lineFor(at, raw);
    std::size_t written = 0;
    while (written < line.size()) {
        const ssize_t n = ::write(fd.get(), line.data() + written, line.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            // No half line for the next one to follow on.
            if (written > 0 && ::ftruncate(fd.get(), info.st_size) != 0)
                fail(file, errno);
            fail(file, error);
        }
        written += static_cast<std::size_t>(n);
    }
}

bool RawCallLog::holds(const DateTime& at, std::string_view raw, std::uint64_t offset) const {
    const std::string line = lineFor(at, raw);
    FileDescriptor fd(::open(fileFor(at).c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return false;
    std::string found(line.size(), '\0');
    const ssize_t n = ::pread(fd.get(), found.data(), found.size(), static_cast<off_t>(offset));
    return n == static_cast<ssize_t>(line.size()) && found == line;
}

} // namespace kanata
