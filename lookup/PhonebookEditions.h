#pragma once
// The editions of the phonebook product 番号名鑑 whose address book can stand
// in for the roster, and where an installed edition keeps its address books.
//
// The product is installed when the registry holds the App Paths key of its
// program file, "<code>.exe", under HKEY_LOCAL_MACHINE; the key's default
// value is the program's path and its folder is the install folder. The
// address books are the sub-folders of the install folder's Adrs/ that hold
// an Adrs.DB; each is named after its folder.
#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kanata {

class Registry;

struct PhonebookEdition {
    const char* code;        // names the program file (code + ".exe") and the product's folder
    const char* displayName; // as the settings dialog and the call view's caption show it
};

inline constexpr int kPhonebookEditionCount = 14;

// Five generations, newest first: rows 0-1 the newest generation's area and
// business-type editions, then for each older generation (rows 2-4, 5-7,
// 8-10, 11-13) its area, business-type and special business-type edition.
//
// The code words are this product line's own: "PBK" plus the year of the
// generation plus A (area), B (business type) or S (special business type).
// The product's address books carry no session password here (SQLite files
// have none), so the table holds none either.
const std::array<PhonebookEdition, kPhonebookEditionCount>& PhonebookEditions();

// The row, clamped into 0..13 as the settings clamp PbSeries.
const PhonebookEdition& PhonebookEditionAt(int row);

// Editions of the oldest generation keep their external links in ExtFile
// instead of ExtLink.
bool IsOldestPhonebookGeneration(int row);

// "HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\<code>.exe"
std::string PhonebookAppPathsKey(const PhonebookEdition& edition);

// The product's own folder under the common application-data folder:
// Tenko/<code>/.
std::filesystem::path PhonebookProductFolder(const std::filesystem::path& commonDataFolder,
                                             const PhonebookEdition& edition);

struct PhonebookInstallation {
    bool registered = false;             // the App Paths key exists
    std::filesystem::path installFolder; // with a trailing "/"; empty when the key names no program
};

// What the registry says about the edition at `row`.
PhonebookInstallation FindPhonebookInstallation(const Registry& registry, int row);

struct AddressBookEntry {
    std::string displayName; // the folder's name
    std::string folderName;  // the folder under Adrs/
    std::string path;        // the whole folder path, with a trailing "/"
};

// The address books of an installed edition, ordered by folder name (byte
// order, so the index stored in the settings stays stable); empty when the
// folder has no Adrs/.
std::vector<AddressBookEntry> ListAddressBooks(const std::filesystem::path& installFolder);

// installFolder + Adrs/ + folderName + "/".
std::filesystem::path AddressBookFolder(const std::filesystem::path& installFolder,
                                        const std::string& folderName);

} // namespace kanata
