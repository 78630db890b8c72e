#include "transfer/ImportBackup.h"

#include "data/Sqlite.h"
#include "maintenance/TableFileCopy.h"

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
    std::string why;
    return copyOpenTable(source.handle(), folder / fileName, why);
}

} // namespace kanata
