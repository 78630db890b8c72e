#pragma once
// The phonebook-data service: finds a number in the directory files DBT06B,
// DBT06C and DBT06T (format in lookup/PhonebookFormat.h) and hands the entry
// over in a PhonebookHit. Its call shape is the one the caller lookup has
// always used, result codes included.
#include "lookup/PhonebookHit.h"

#include <filesystem>
#include <string>

namespace kanata {

class MessageService;

// Results of SearchFromTelK. 1, 2 and 5 are quiet outcomes (the caller is
// simply unknown); the others are reported to the user.
enum PhonebookResult : int {
    kPhonebookFound = 0,     // the hit is filled
    kPhonebookNoEntry = 1,   // the directory does not list the number
    kPhonebookBadKey = 2,    // the key is empty or not digits, or no hit record was given
    kPhonebookDamaged = 3,   // the files are damaged, incomplete or do not belong together
    kPhonebookReadError = 4, // a file cannot be opened or read
    // The data folder holds none of the three files, or does not exist: no
    // directory is installed (most offices), or no disc is in the drive.
    kPhonebookNoData = 5,
    kPhonebookWrongSetupFolder = 6, // the data folder is not given, or is not a folder
    // The service is unavailable. The directory search is built in, so it is
    // never returned by SearchFromTelK; callers keep it for a missing service.
    kPhonebookNotLoaded = 102,
};

// Searches the directory in dataFolder for key (ASCII digits; only the first
// 11 count) and fills *result, which the caller has zeroed. dictionaryFolder
// (the application folder's Dic/) is accepted for the call shape; the
// directory needs nothing from it. Never throws, never shows anything.
int SearchFromTelK(const char* key, PhonebookHit* result, const char* dataFolder,
                   const char* dictionaryFolder);

// The folder to search: the work folder's TelData/Kanata195/ when it holds
// the three files, else the CD drive's Kanata195/ (a mount point; when none is
// configured, the work folder's copy again, which then finds no data).
std::filesystem::path PhonebookDataFolder(const std::filesystem::path& workFolder,
                                          const std::filesystem::path& cdDrive);

// Zeroes the hit, searches and reports what needs reporting: result 6 as
// "セットアップパスの指定に誤りがあります", every result other than 0, 1, 2,
// 5 and 6 as the call error with its code. That box is the only one for a
// failed search; callers show none of their own. Returns the result.
int SearchPhonebook(const std::string& key, PhonebookHit& hit,
                    const std::filesystem::path& dataFolder,
                    const std::filesystem::path& dictionaryFolder, MessageService& messages);

} // namespace kanata
