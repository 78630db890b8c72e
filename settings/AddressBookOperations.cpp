#include "settings/AddressBookOperations.h"

#include "data/Cp932.h"
#include "settings/GlobalSettings.h"
#include "settings/IniFile.h"

#include <string>
#include <vector>

namespace kanata {
namespace fs = std::filesystem;

namespace {

// A folder name of the product's own: one path element, never a way out.
bool isPlainFolderName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string::npos;
}

std::vector<std::string> readEntries(const IniFile& ini, const char* section) {
    std::vector<std::string> entries;
    const int count = ini.readInteger(section, "Count", 0);
    for (int i = 1; i <= count; ++i)
        entries.push_back(cp932::trim(ini.readString(section, std::to_string(i))));
    return entries;
}

void writeEntries(IniFile& ini, const char* section, const std::vector<std::string>& entries) {
    ini.eraseSection(section);
    if (entries.empty())
        return;
    ini.writeInteger(section, "Count", static_cast<int>(entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i)
        ini.writeString(section, std::to_string(i + 1), entries[i]);
}

bool removeBook(const fs::path& adrsFolder, const std::string& name) {
    if (!isPlainFolderName(name))
        return false;
    std::error_code ec;
    fs::remove_all(adrsFolder / name, ec);
    return !ec && !fs::exists(adrsFolder / name, ec);
}

bool renameBook(const fs::path& adrsFolder, const std::string& entry) {
    const auto slash = entry.find('/');
    if (slash == std::string::npos)
        return false;
    const std::string from = entry.substr(0, slash);
    const std::string to = entry.substr(slash + 1);
    if (!isPlainFolderName(from) || !isPlainFolderName(to) || from == to)
        return false;
    std::error_code ec;
    const fs::path source = adrsFolder / from;
    const fs::path target = adrsFolder / to;
    if (!fs::is_directory(source, ec))
        return false;
    fs::create_directories(target, ec);
    if (ec)
        return false;
    std::vector<fs::path> files;
    for (const auto& file : fs::directory_iterator(source, ec))
        files.push_back(file.path());
    if (ec)
        return false;
    for (const fs::path& path : files) {
        fs::rename(path, target / path.filename(), ec);
        if (ec)
            return false;
    }
    fs::remove(source, ec);
    return !ec;
}

} // namespace

void ApplyPendingAddressBookOperations(const fs::path& adrsFolder) {
    const fs::path file = adrsFolder / kAddressBookOpsIniName;
    std::error_code ec;
    if (!fs::is_regular_file(file, ec))
        return;
    IniFile ini(file);
    if (!ini.load())
        return;
    std::vector<std::string> deleteLeft, renameLeft;
    for (const std::string& name : readEntries(ini, "DELETE"))
        if (!removeBook(adrsFolder, name))
            deleteLeft.push_back(name);
    for (const std::string& entry : readEntries(ini, "RENAME"))
        if (!renameBook(adrsFolder, entry))
            renameLeft.push_back(entry);
    if (deleteLeft.empty() && renameLeft.empty()) {
        fs::remove(file, ec);
        return;
    }
    writeEntries(ini, "DELETE", deleteLeft);
    writeEntries(ini, "RENAME", renameLeft);
    ini.save();
}

} // namespace kanata
