#pragma once
// Putting a backup generation back into the data folder, and the list of
// generations a user can choose from.
#include "data/StoreSettings.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kanata {

struct BackupGeneration {
    int number = 0; // 1 = newest
    std::filesystem::path folder;
    std::filesystem::file_time_type time; // when its newest file was written
    std::vector<std::string> files;       // the saved files it holds
};

// The numbered generations under the work folder's bakData/, newest first.
std::vector<BackupGeneration> listBackupGenerations(const std::filesystem::path& workFolder);

struct RestoreOutcome {
    bool done = false;
    std::string error;                     // why nothing (or not all) was restored
    std::filesystem::path keptCurrentData; // where the data before the restore went
    std::vector<std::string> restored;     // the files put back
};

// Restores generation `number` into `dataFolder`. Refuses before changing
// anything when the generation is missing or one of its tables is damaged.
// The data folder's current files are first kept under
// bakData/before-restore-<time>/, then each saved file is put back whole
// (copied beside its target, then renamed over it). Afterwards every
// restored table must pass its integrity check. The program must not be
// running (the caller holds its lock).
// With the tables on a server (`store`), the generation's dump of them is
// checked whole first, the server's current tables are dumped into the
// kept folder, and the dump replaces them in one transaction. A generation
// of the other engine's tables is refused: db migrate moves tables between
// the engines.
RestoreOutcome restoreBackupGeneration(const std::filesystem::path& workFolder,
                                       const std::filesystem::path& dataFolder, int number,
                                       const sql::StoreSettings& store = {});

} // namespace kanata
