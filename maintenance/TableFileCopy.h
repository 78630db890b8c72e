#pragma once
// Copies a table file so that the copy is a consistent database even while
// the program writes to the original: through SQLite's online backup, never
// by reading the file's bytes while a transaction may be half on disk.
#include <filesystem>
#include <string>

struct sqlite3;

namespace kanata {

// Copies `source` (an SQLite database) to `target` through a temporary file
// beside the target that is renamed over it when complete, so a failed or
// interrupted copy never leaves a half-written target. Returns false with
// the reason in `error`.
bool copyTableFile(const std::filesystem::path& source, const std::filesystem::path& target,
                   std::string& error);

// The same from a database already open (`source` is its sqlite3 handle),
// so that a caller holding the table copies what it sees.
bool copyOpenTable(sqlite3* source, const std::filesystem::path& target, std::string& error);

// True when `file` opens as a database and passes PRAGMA integrity_check.
bool tableFileIsSound(const std::filesystem::path& file, std::string& error);

} // namespace kanata
