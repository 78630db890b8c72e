#include "platform/DataFolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace kanata {

bool DataFolderLock::acquire(const std::filesystem::path& dataFolder, Mode mode) {
    release();
    const auto path = dataFolder / kDataFolderLockName;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    if (::flock(fd, (mode == Mode::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void DataFolderLock::release() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

} // namespace kanata
