#include "platform/DurableFile.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kanata {
namespace fs = std::filesystem;
namespace {

// Small writes are gathered, so that a file written record by record does
// not cost a system call per record.
constexpr std::size_t kBufferSize = 64 * 1024;

std::error_code errnoCode(int error) {
    return {error, std::generic_category()};
}

fs::path folderOf(const fs::path& file) {
    return file.parent_path().empty() ? fs::path(".") : file.parent_path();
}

fs::path uniqueTemporaryFor(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    const std::string name = "." + target.filename().string() + ".tmp" +
                             std::to_string(::getpid()) + "-" + std::to_string(counter++);
    return folderOf(target) / name;
}

// A file left by an interrupted write under a fixed temporary name is
// replaced; anything else there (a folder) is not ours to remove.
void removeLeftover(const fs::path& temporary) {
    struct stat info {};
    if (::lstat(temporary.c_str(), &info) == 0 && !S_ISDIR(info.st_mode))
        ::unlink(temporary.c_str());
}

} // namespace

bool flushPath(const fs::path& path) {
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    return fd.isOpen() && ::fsync(fd.get()) == 0;
}

std::error_code renameDurably(const fs::path& from, const fs::path& to) {
    if (::rename(from.c_str(), to.c_str()) != 0)
        return errnoCode(errno);
    flushPath(folderOf(to));
    if (folderOf(from) != folderOf(to))
        flushPath(folderOf(from));
    return {};
}

DurableFileWriter::DurableFileWriter(fs::path target, DurableWriteOptions options)
    : target_(std::move(target)),
      temporary_(options.temporary.empty() ? uniqueTemporaryFor(target_)
                                           : std::move(options.temporary)) {
    removeLeftover(temporary_);
    file_ =
        FileDescriptor(::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!file_.isOpen()) {
        failed();
        return;
    }
    created_ = true;
    struct stat old {};
    if (options.keepPermissions && ::stat(target_.c_str(), &old) == 0)
        ::fchmod(file_.get(), old.st_mode & 07777);
}

DurableFileWriter::~DurableFileWriter() {
    if (created_ && !published_) {
        file_.close();
        ::unlink(temporary_.c_str());
    }
}

bool DurableFileWriter::failed() {
    if (!error_)
        error_ = errnoCode(errno);
    return false;
}

bool DurableFileWriter::writeOut(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(file_.get(), bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return failed();
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool DurableFileWriter::write(std::string_view bytes) {
    if (error_)
        return false;
    if (finished_) {
        errno = EBADF;
        return failed();
    }
    if (buffer_.size() + bytes.size() < kBufferSize) {
        buffer_.append(bytes);
        return true;
    }
    if (!writeOut(buffer_))
        return false;
    buffer_.clear();
    return writeOut(bytes);
}

bool DurableFileWriter::finish() {
    if (error_)
        return false;
    if (finished_)
        return true;
    if (!writeOut(buffer_) || ::fsync(file_.get()) != 0)
        return failed();
    buffer_.clear();
    if (const int error = file_.close(); error != 0) {
        errno = error;
        return failed();
    }
    finished_ = true;
    return true;
}

bool DurableFileWriter::publish() {
    if (!finish())
        return false;
    if (published_)
        return true;
    error_ = renameDurably(temporary_, target_);
    published_ = !error_;
    return published_;
}

std::error_code writeFileDurably(const fs::path& target, std::string_view bytes,
                                 const DurableWriteOptions& options) {
    DurableFileWriter writer(target, options);
    if (writer.write(bytes))
        writer.publish();
    return writer.error();
}

} // namespace kanata
