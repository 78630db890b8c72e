#include "maintenance/FolderMoves.h"

#include <fcntl.h>
#include <unistd.h>

namespace kanata {

bool flushPath(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

bool moveFolder(const std::filesystem::path& from, const std::filesystem::path& to,
                std::string& error) {
    std::error_code ec;
    std::filesystem::rename(from, to, ec);
    if (ec) {
        error = from.string() + " -> " + to.string() + ": " + ec.message();
        return false;
    }
    flushPath(to.parent_path());
    if (from.parent_path() != to.parent_path())
        flushPath(from.parent_path());
    return true;
}

} // namespace kanata
