#pragma once
// Files that are on disk whole or not at all. New content goes to a
// temporary file beside its target, is flushed to the disk and then renamed
// over the target, and the folder is flushed so that the rename survives a
// power cut too. Until the rename the old file stays as it was; a write that
// fails leaves no temporary file behind.
#include "platform/FileDescriptor.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace kanata {

// fsync of a file or folder; false when it cannot be opened or flushed.
bool flushPath(const std::filesystem::path& path);

// Renames `from` to `to` (replacing a file there) and flushes the folders
// of both; the errno of the rename when the system refuses it.
std::error_code renameDurably(const std::filesystem::path& from, const std::filesystem::path& to);

struct DurableWriteOptions {
    // Where the content waits for the rename. Empty: a hidden name of its
    // own beside the target, so that two writers never share one.
    std::filesystem::path temporary;
    // Whether the new file takes over the permissions of the one it replaces
    // (otherwise it is created as any new file is).
    bool keepPermissions = false;
};

// Writes a file in pieces and puts it in place when it is complete. A writer
// that is destroyed before publish() succeeded removes its temporary file.
class DurableFileWriter {
public:
    explicit DurableFileWriter(std::filesystem::path target, DurableWriteOptions options = {});
    ~DurableFileWriter();
    DurableFileWriter(const DurableFileWriter&) = delete;
    DurableFileWriter& operator=(const DurableFileWriter&) = delete;

    // Each call returns false once anything has failed; error() says what.
    bool write(std::string_view bytes);
    // Everything written is on the disk and the temporary file is closed.
    bool finish();
    // finish(), then the rename over the target.
    bool publish();

    const std::error_code& error() const { return error_; }
    const std::filesystem::path& target() const { return target_; }

private:
    bool writeOut(std::string_view bytes);
    bool failed();

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    FileDescriptor file_;
    std::string buffer_;
    bool created_ = false;
    bool finished_ = false;
    bool published_ = false;
    std::error_code error_;
};

// The whole content of `target`, written durably; the error of the step
// that failed (an errno value), or none.
std::error_code writeFileDurably(const std::filesystem::path& target, std::string_view bytes,
                                 const DurableWriteOptions& options = {});

} // namespace kanata
