#include "maintenance/BackupRestore.h"

#include "maintenance/AutoBackup.h"
#include "maintenance/ServerDump.h"
#include "maintenance/TableFileCopy.h"
#include "platform/DurableFile.h"

#include <algorithm>
#include <cctype>
#include <ctime>

namespace kanata {
namespace fs = std::filesystem;
namespace {

std::optional<int> generationNumber(const std::string& name) {
    if (name.empty() || name.size() > 2 || !std::all_of(name.begin(), name.end(), [](char c) {
            return std::isdigit(static_cast<unsigned char>(c));
        }))
        return std::nullopt;
    const int n = std::stoi(name);
    return n >= 1 ? std::optional<int>(n) : std::nullopt;
}

std::vector<std::string> savedFilesIn(const fs::path& folder) {
    std::vector<std::string> found;
    std::error_code ec;
    for (const auto& group : backupGroups())
        for (const std::string& name : group)
            if (fs::is_regular_file(folder / name, ec))
                found.push_back(name);
    if (fs::is_regular_file(folder / kServerDumpName, ec))
        found.push_back(kServerDumpName);
    return found;
}

std::string timeStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

// Copies a file whole: beside the target first, then renamed over it.
bool replaceFile(const fs::path& source, const fs::path& target, std::string& error) {
    const fs::path partial = target.string() + ".restoring";
    std::error_code ec;
    fs::copy_file(source, partial, fs::copy_options::overwrite_existing, ec);
    if (ec || !flushPath(partial)) {
        error = target.filename().string() + ": " + (ec ? ec.message() : "cannot flush");
        fs::remove(partial, ec);
        return false;
    }
    if (const std::error_code renamed = renameDurably(partial, target)) {
        error = target.filename().string() + ": " + renamed.message();
        fs::remove(partial, ec);
        return false;
    }
    return true;
}

// Keeps the current files; a damaged table is kept byte for byte, since a
// database copy of it would fail.
bool keepCurrentData(const fs::path& dataFolder, const fs::path& keep, std::string& error) {
    std::error_code ec;
    fs::create_directories(keep, ec);
    if (ec) {
        error = keep.string() + ": " + ec.message();
        return false;
    }
    for (const std::string& name : savedFilesIn(dataFolder)) {
        std::string why;
        if (isTableFile(name) && copyTableFile(dataFolder / name, keep / name, why))
            continue;
        if (!replaceFile(dataFolder / name, keep / name, error))
            return false;
    }
    return true;
}

bool holdsTableFiles(const std::vector<std::string>& files) {
    return std::any_of(files.begin(), files.end(), isTableFile);
}

bool holdsServerDump(const std::vector<std::string>& files) {
    return std::find(files.begin(), files.end(), kServerDumpName) != files.end();
}

// Why the generation cannot be restored onto this store; empty when it can.
std::string refusal(const fs::path& source, const std::vector<std::string>& files, int number,
                    bool onServer) {
    const std::string generation = "generation " + std::to_string(number);
    if (onServer && !holdsServerDump(files) && holdsTableFiles(files))
        return generation + " holds the tables as SQLite files, but the tables are on the " +
               "server (move them with kanata-cli db migrate --to postgresql)";
    if (!onServer && holdsServerDump(files))
        return generation + " holds the tables of a server, but the tables are in the data " +
               "folder (restore it with [DATABASE] Engine=postgresql)";
    for (const std::string& name : files) {
        std::string why;
        if (!onServer && isTableFile(name) && !tableFileIsSound(source / name, why))
            return generation + ": " + name + " is damaged (" + why + ")";
    }
    if (onServer && holdsServerDump(files)) {
        const ServerToolOutcome checked = checkServerDump(source / kServerDumpName);
        if (!checked.done)
            return generation + ": " + kServerDumpName + " is damaged (" + checked.error + ")";
    }
    return {};
}

// The server's tables go first and in one transaction, so a failure there
// leaves both the server and the data folder as they were.
bool restoreServer(const fs::path& source, const sql::ServerSettings& server,
                   RestoreOutcome& outcome) {
    const ServerToolOutcome kept =
        dumpServerTables(server, outcome.keptCurrentData / kServerDumpName);
    if (!kept.done) {
        outcome.error = "the server's current tables could not be saved first (" + kept.error +
                        "); nothing was restored";
        return false;
    }
    const ServerToolOutcome restored = restoreServerTables(server, source / kServerDumpName);
    if (!restored.done) {
        outcome.error = restored.error + "; the server's tables are as they were";
        return false;
    }
    outcome.restored.push_back(kServerDumpName);
    return true;
}

bool restoreFiles(const fs::path& source, const fs::path& dataFolder,
                  const std::vector<std::string>& files, bool onServer, RestoreOutcome& outcome) {
    for (const std::string& name : files) {
        if (name == kServerDumpName || (onServer && isTableFile(name)))
            continue;
        std::error_code ec;
        // A journal left beside the damaged table would be rolled back into
        // the restored one at its next open and damage it again.
        if (isTableFile(name))
            fs::remove(dataFolder / (name + "-journal"), ec);
        if (!replaceFile(source / name, dataFolder / name, outcome.error))
            return false;
        outcome.restored.push_back(name);
    }
    for (const std::string& name : outcome.restored) {
        std::string why;
        if (isTableFile(name) && !tableFileIsSound(dataFolder / name, why)) {
            outcome.error = name + " does not open after the restore: " + why;
            return false;
        }
    }
    return true;
}

} // namespace

std::vector<BackupGeneration> listBackupGenerations(const fs::path& workFolder) {
    std::vector<BackupGeneration> generations;
    std::error_code ec;
    const fs::path root = workFolder / kBackupFolderName;
    for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        const auto number = generationNumber(it->path().filename().string());
        if (!number || !it->is_directory(ec))
            continue;
        BackupGeneration g{*number, it->path(), fs::last_write_time(it->path(), ec),
                           savedFilesIn(it->path())};
        for (const std::string& name : g.files)
            g.time = std::max(g.time, fs::last_write_time(g.folder / name, ec));
        generations.push_back(std::move(g));
    }
    std::sort(generations.begin(), generations.end(),
              [](const auto& a, const auto& b) { return a.number < b.number; });
    return generations;
}

RestoreOutcome restoreBackupGeneration(const fs::path& workFolder, const fs::path& dataFolder,
                                       int number, const sql::StoreSettings& store) {
    RestoreOutcome outcome;
    const bool onServer = store.engine == sql::Engine::Postgresql;
    const fs::path source = workFolder / kBackupFolderName / std::to_string(number);
    const std::vector<std::string> files = savedFilesIn(source);
    if (files.empty()) {
        outcome.error = "no backup generation " + std::to_string(number) + " in " +
                        (workFolder / kBackupFolderName).string();
        return outcome;
    }
    if (const std::string why = refusal(source, files, number, onServer); !why.empty()) {
        outcome.error = why + "; nothing was restored";
        return outcome;
    }
    outcome.keptCurrentData = workFolder / kBackupFolderName / ("before-restore-" + timeStamp());
    if (!keepCurrentData(dataFolder, outcome.keptCurrentData, outcome.error))
        return outcome;
    if (onServer && holdsServerDump(files) && !restoreServer(source, store.server, outcome))
        return outcome;
    outcome.done = restoreFiles(source, dataFolder, files, onServer, outcome);
    return outcome;
}

} // namespace kanata
