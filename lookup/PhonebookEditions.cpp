#include "lookup/PhonebookEditions.h"

#include "data/AddressBook.h"
#include "data/Cp932.h"
#include "settings/Registry.h"

#include <algorithm>
#include <system_error>

namespace kanata {
namespace fs = std::filesystem;

const std::array<PhonebookEdition, kPhonebookEditionCount>& PhonebookEditions() {
    static const std::array<PhonebookEdition, kPhonebookEditionCount> editions{{
        {"PBK2026A", "番号名鑑2026 地域版"},
        {"PBK2026B", "番号名鑑2026 業種版"},
        {"PBK2025A", "番号名鑑2025 地域版"},
        {"PBK2025B", "番号名鑑2025 業種版"},
        {"PBK2025S", "番号名鑑2025 特選業種版"},
        {"PBK2024A", "番号名鑑2024 地域版"},
        {"PBK2024B", "番号名鑑2024 業種版"},
        {"PBK2024S", "番号名鑑2024 特選業種版"},
        {"PBK2023A", "番号名鑑2023 地域版"},
        {"PBK2023B", "番号名鑑2023 業種版"},
        {"PBK2023S", "番号名鑑2023 特選業種版"},
        {"PBK2022A", "番号名鑑2022 地域版"},
        {"PBK2022B", "番号名鑑2022 業種版"},
        {"PBK2022S", "番号名鑑2022 特選業種版"},
    }};
    return editions;
}

const PhonebookEdition& PhonebookEditionAt(int row) {
    return PhonebookEditions()[static_cast<std::size_t>(
        std::clamp(row, 0, kPhonebookEditionCount - 1))];
}

bool IsOldestPhonebookGeneration(int row) {
    return row >= 11 && row <= 13;
}

std::string PhonebookAppPathsKey(const PhonebookEdition& edition) {
    return std::string(
               "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\") +
           edition.code + ".exe";
}

fs::path PhonebookProductFolder(const fs::path& commonDataFolder, const PhonebookEdition& edition) {
    return commonDataFolder / "Tenko" / edition.code / "";
}

PhonebookInstallation FindPhonebookInstallation(const Registry& registry, int row) {
    const std::string key = PhonebookAppPathsKey(PhonebookEditionAt(row));
    PhonebookInstallation found;
    found.registered = registry.keyExists(key);
    if (!found.registered)
        return found;
    const std::string program = cp932::trim(registry.readString(key).value_or(""));
    if (!program.empty() && fs::path(program).has_parent_path())
        found.installFolder = fs::path(program).parent_path() / "";
    return found;
}

std::vector<AddressBookEntry> ListAddressBooks(const fs::path& installFolder) {
    std::vector<AddressBookEntry> books;
    if (installFolder.empty())
        return books;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(installFolder / "Adrs", ec)) {
        std::error_code fileError;
        if (!entry.is_directory(fileError) ||
            !fs::is_regular_file(entry.path() / AddressBookTable::kFileName, fileError))
            continue;
        const std::string name = entry.path().filename().string();
        books.push_back({name, name, (entry.path() / "").string()});
    }
    std::sort(books.begin(), books.end(), [](const AddressBookEntry& a, const AddressBookEntry& b) {
        return a.folderName < b.folderName;
    });
    return books;
}

fs::path AddressBookFolder(const fs::path& installFolder, const std::string& folderName) {
    return installFolder / "Adrs" / folderName / "";
}

} // namespace kanata
