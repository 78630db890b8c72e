#include "tools/kanata-cli/CliSupport.h"

#include "data/Cp932.h"
#include "data/Utf8.h"
#include "platform/AppFolder.h"
#include "settings/DatabaseSettings.h"
#include "settings/IniFile.h"
#include "settings/WorkFolders.h"

#include <algorithm>
#include <cctype>
#include <iostream>

namespace kanata::cli {

Arguments::Arguments(std::vector<std::string> args) : args_(std::move(args)) {}

bool Arguments::takeFlag(const std::string& name) {
    const auto it = std::find(args_.begin(), args_.end(), name);
    if (it == args_.end())
        return false;
    args_.erase(it);
    return true;
}

std::optional<std::string> Arguments::takeOption(const std::string& name) {
    const std::string withEquals = name + "=";
    for (auto it = args_.begin(); it != args_.end(); ++it) {
        if (it->rfind(withEquals, 0) == 0) {
            std::string value = it->substr(withEquals.size());
            args_.erase(it);
            return value;
        }
        if (*it == name) {
            if (std::next(it) == args_.end())
                throw UsageError(name + " needs a value");
            std::string value = *std::next(it);
            args_.erase(it, it + 2);
            return value;
        }
    }
    return std::nullopt;
}

bool Arguments::wantsHelp() const {
    return std::any_of(args_.begin(), args_.end(),
                       [](const std::string& a) { return a == "--help" || a == "-h"; });
}

std::vector<std::string> Arguments::positionals(std::size_t min, std::size_t max) const {
    for (const std::string& a : args_)
        if (a.size() > 1 && a[0] == '-' && !(std::isdigit(static_cast<unsigned char>(a[1]))))
            throw UsageError("unknown option " + a);
    if (args_.size() < min)
        throw UsageError("missing argument");
    if (args_.size() > max)
        throw UsageError("unexpected argument " + args_[max]);
    return args_;
}

Folders resolveFolders(const std::optional<std::string>& dataOption) {
    Folders folders;
    folders.applicationFolder = applicationFolder();
    folders.workFolder = findWorkFolder(folders.applicationFolder);
    IniFile ini(folders.workFolder / kSettingsFileName);
    ini.load();
    folders.store = ReadDatabaseSettings(ini).store;
    if (dataOption) {
        std::error_code ec;
        if (dataOption->empty() || !std::filesystem::is_directory(*dataOption, ec))
            throw UsageError("no such data folder: " + *dataOption);
        folders.dataFolder = std::filesystem::absolute(*dataOption);
        return folders;
    }
    folders.dataFolder =
        resolveDataFolder(ini.readString("COMMON", "DataPath"), folders.workFolder).folder;
    return folders;
}

bool lockDataFolder(DataFolderLock& lock, const Folders& folders, const std::string& command) {
    std::error_code ec;
    std::filesystem::create_directories(folders.dataFolder, ec);
    if (lock.acquire(folders.dataFolder, DataFolderLock::Mode::Exclusive))
        return true;
    std::cerr << "kanata-cli " << command << ": the data folder " << folders.dataFolder.string()
              << " is in use by 着信帳１９.５ (or an import); close the program and try again\n";
    return false;
}

// In code page 932 bytes, as wide as a terminal shows them.
constexpr std::size_t kMessageLimit = 1000;

std::string TextArgument(const std::string& typed) {
    for (std::size_t at = 0; at < typed.size();) {
        const Utf8Piece piece = DecodeUtf8At(typed, at);
        if (!piece.valid)
            throw UsageError("the text is not UTF-8 (is the terminal set to UTF-8?)");
        at += piece.length;
    }
    return typed;
}

std::string OneLine(const std::string& message) {
    std::string line;
    for (char c : message) {
        if (c == '\r')
            continue;
        if (c == '\n') {
            while (!line.empty() && line.back() == ' ')
                line.pop_back();
            line += ' ';
            continue;
        }
        line += c;
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    const std::string shown = cp932::cutToWidth(line, kMessageLimit);
    return shown.size() < line.size() ? shown + "…" : line;
}

} // namespace kanata::cli
