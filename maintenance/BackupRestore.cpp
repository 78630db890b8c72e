#include "maintenance/BackupRestore.h"

#include "maintenance/AutoBackup.h"
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
                                       int number) {
    RestoreOutcome outcome;
    const fs::path source = workFolder / kBackupFolderName / std::to_string(number);
    const std::vector<std::string> files = savedFilesIn(source);
    if (files.empty()) {
        outcome.error = "no backup generation " + std::to_string(number) + " in " +
                        (workFolder / kBackupFolderName).string();
        return outcome;
    }
    for (const std::string& name : files) {
        std::string why;
        if (isTableFile(name) && !tableFileIsSound(source / name, why)) {
            outcome.error = "generation " + std::to_string(number) + ": " + name + " is damaged (" +
                            why + "); nothing was restored";
            return outcome;
        }
    }
    outcome.keptCurrentData = workFolder / kBackupFolderName / ("before-restore-" + timeStamp());
    if (!keepCurrentData(dataFolder, outcome.keptCurrentData, outcome.error))
        return outcome;
    for (const std::string& name : files) {
        std::error_code ec;
        // A journal left beside the damaged table would be rolled back into
        // the restored one at its next open and damage it again.
        if (isTableFile(name))
            fs::remove(dataFolder / (name + "-journal"), ec);
        if (!replaceFile(source / name, dataFolder / name, outcome.error))
            return outcome;
        outcome.restored.push_back(name);
    }
    for (const std::string& name : outcome.restored) {
        std::string why;
        if (isTableFile(name) && !tableFileIsSound(dataFolder / name, why)) {
            outcome.error = name + " does not open after the restore: " + why;
            return outcome;
        }
    }
    outcome.done = true;
    return outcome;
}

} // namespace kanata
