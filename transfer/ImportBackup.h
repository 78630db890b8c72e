#pragma once
// The copy of a table taken before an import: the data folder's
// "backupRH.imp" (history) or "backupMB.imp" (roster) holds the table file
// as it was, copied through SQLite's backup API so that the copy is a
// consistent database even while the table is open. The copy is written
// beside its final name and renamed over the earlier one only when
// complete, so a crash during the copy leaves the earlier backup whole.
#include "transfer/ImportItems.h"

#include <filesystem>

namespace kanata {

namespace sql {
class Database;
}

std::filesystem::path ImportBackupFolder(const std::filesystem::path& dataFolder,
                                         ImportDestination destination);

// Copies the open table `source` (file name `fileName`) into the backup
// folder. False when no backup could be made; the import goes on anyway.
bool BackUpForImport(sql::Database& source, const std::filesystem::path& dataFolder,
                     ImportDestination destination, const std::string& fileName);

} // namespace kanata
