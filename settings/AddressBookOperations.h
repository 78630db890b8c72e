#pragma once
// The phonebook product records address-book folder operations it could
// not finish in Adrs/AdrsOp.ini; they are carried out before its address
// books are listed, so that the list shows what the product means to have.
#include <filesystem>

namespace kanata {

// Carries out the pending operations in `adrsFolder`/AdrsOp.ini: section
// DELETE (Count, 1..Count: a folder to remove with its files), then section
// RENAME (Count, 1..Count: "old/new": the files of old move into new, old is
// removed). Entries that cannot be carried out are written back, numbered
// anew; when none remain the file is deleted. Entries naming anything but a
// folder directly inside `adrsFolder` are never carried out.
void ApplyPendingAddressBookOperations(const std::filesystem::path& adrsFolder);

} // namespace kanata
