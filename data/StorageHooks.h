#pragma once
// How the tables and the item-list files reach the disk. The program leaves
// both at their defaults; a test hands in its own to make a write or a read
// fail the way a full disk, a read-only folder or a damaged file does, on
// the very paths the program takes.
#include <filesystem>
#include <functional>
#include <string>

namespace kanata {

enum class FileAccess { Read, Write };

// Asked before a file is read or written: an errno value (ENOSPC, EROFS,
// EIO, ...) fails the access as the system would have, 0 lets it go on.
using FileFaultHook = std::function<int(const std::filesystem::path&, FileAccess)>;

struct StorageHooks {
    // The SQLite VFS the tables open their files through; empty = SQLite's
    // default.
    std::string sqliteVfs;
    // Consulted by the item lists; unset = the files are used as they are.
    FileFaultHook itemFiles;
};

} // namespace kanata
