#include "transfer/ImportBackup.h"

#include "data/Sqlite.h"

#include <sqlite3.h>

namespace kanata {

std::filesystem::path ImportBackupFolder(const std::filesystem::path& dataFolder,
                                         ImportDestination destination) {
    return dataFolder /
           (destination == ImportDestination::History ? "backupRH.imp" : "backupMB.imp");
}

bool BackUpForImport(sql::Database& source, const std::filesystem::path& dataFolder,
                     ImportDestination destination, const std::string& fileName) {
    const auto folder = ImportBackupFolder(dataFolder, destination);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!std::filesystem::is_directory(folder, ec))
        return false;
    const auto target = folder / fileName;
    const auto partial = folder / (fileName + ".part");
    std::filesystem::remove(partial, ec);
    bool copied = false;
    {
        sql::Database copy;
        try {
            copy.open(partial, true);
        } catch (const sql::SqliteError&) {
            return false;
        }
        sqlite3_backup* backup =
            sqlite3_backup_init(copy.handle(), "main", source.handle(), "main");
        if (backup) {
            const int rc = sqlite3_backup_step(backup, -1);
            copied = sqlite3_backup_finish(backup) == SQLITE_OK && rc == SQLITE_DONE;
        }
    }
    if (copied)
        std::filesystem::rename(partial, target, ec);
    if (!copied || ec) {
        std::filesystem::remove(partial, ec);
        return false;
    }
    return true;
}

} // namespace kanata
