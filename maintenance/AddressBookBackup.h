#pragma once
// The copy of the phonebook product's address book that stands in for the
// roster, kept under the data folder's backup.PbAdrs/Adrs/.
#include <filesystem>

namespace kanata {

class Registry;

inline constexpr const char* kAddressBookBackupFolder = "backup.PbAdrs";

// Copies the address book at `bookIndex` of edition `editionRow` into
// dataFolder/backup.PbAdrs/Adrs/<its folder>/. False when the edition has
// no address books or the copy failed; a failed copy leaves no partial
// folder behind. Table files are copied as consistent databases.
bool BackupAddressBook(const Registry& registry, int editionRow, int bookIndex,
                       const std::filesystem::path& dataFolder);

} // namespace kanata
