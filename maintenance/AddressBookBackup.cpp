#include "maintenance/AddressBookBackup.h"

#include "lookup/PhonebookEditions.h"
#include "maintenance/TableFileCopy.h"

#include <algorithm>
#include <cctype>

namespace kanata {
namespace fs = std::filesystem;
namespace {

bool isTable(const fs::path& file) {
    std::string ext = file.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return ext == ".DB";
}

bool copyFolder(const fs::path& source, const fs::path& target) {
    std::error_code ec;
    fs::create_directories(target, ec);
    if (ec)
        return false;
    for (fs::recursive_directory_iterator it(source, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path to = target / fs::relative(it->path(), source, ec);
        if (it->is_directory(ec)) {
            fs::create_directories(to, ec);
        } else if (it->is_regular_file(ec)) {
            std::string why;
            const bool copied =
                isTable(it->path())
                    ? copyTableFile(it->path(), to, why)
                    : fs::copy_file(it->path(), to, fs::copy_options::overwrite_existing, ec);
            if (!copied)
                return false;
        }
        if (ec)
            return false;
    }
    return !ec;
}

} // namespace

bool BackupAddressBook(const Registry& registry, int editionRow, int bookIndex,
                       const fs::path& dataFolder) {
    const PhonebookInstallation install = FindPhonebookInstallation(registry, editionRow);
    if (install.installFolder.empty())
        return false;
    const auto books = ListAddressBooks(install.installFolder);
    if (books.empty() || bookIndex < 0 || bookIndex >= static_cast<int>(books.size()))
        return false;
    const AddressBookEntry& book = books[static_cast<std::size_t>(bookIndex)];
    const fs::path target = dataFolder / kAddressBookBackupFolder / "Adrs" / book.folderName;
    if (copyFolder(AddressBookFolder(install.installFolder, book.folderName), target))
        return true;
    std::error_code ec;
    fs::remove_all(target, ec);
    return false;
}

} // namespace kanata
