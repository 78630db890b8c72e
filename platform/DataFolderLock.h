#pragma once
// Who is using a data folder's tables: the program holds a shared lock on
// "Kanata195.lck" in the data folder while its tables are open, and a bulk
// job that writes the tables behind the program's back (kanata-cli import)
// needs the lock exclusively. The lock is the system's advisory file lock,
// so it ends with its process, however that ends.
#include <filesystem>

namespace kanata {

inline constexpr const char* kDataFolderLockName = "Kanata195.lck";

class DataFolderLock {
public:
    enum class Mode { Shared, Exclusive };

    DataFolderLock() = default;
    ~DataFolderLock() { release(); }
    DataFolderLock(const DataFolderLock&) = delete;
    DataFolderLock& operator=(const DataFolderLock&) = delete;

    // Takes the lock without waiting; false when another process holds it
    // in a way that excludes this mode (or the lock file cannot be made).
    bool acquire(const std::filesystem::path& dataFolder, Mode mode);
    void release();
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

} // namespace kanata
