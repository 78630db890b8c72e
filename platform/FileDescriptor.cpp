#include "platform/FileDescriptor.h"

#include <cerrno>
#include <unistd.h>

namespace kanata {

FileDescriptor::~FileDescriptor() {
    if (fd_ >= 0)
        ::close(fd_);
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = other.release();
    }
    return *this;
}

int FileDescriptor::close() {
    if (fd_ < 0)
        return 0;
    // Linux releases the descriptor even when close reports an error, so it
    // is never closed twice.
    return ::close(release()) == 0 ? 0 : errno;
}

} // namespace kanata
