#pragma once
// Moves the history, the roster and the item lists from one store to the
// other: the SQLite files and item-list files of a data folder to a server,
// or back. Rows keep their record numbers and every field; a list keeps its
// items, their order and dates.
#include "data/StoreSettings.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace kanata {

struct MigrationTable {
    std::string name;
    std::int64_t sourceRows = 0;
    std::int64_t targetRowsBefore = 0;
    std::int64_t copied = 0;
};

struct MigrationList {
    std::string name;    // Rank.mtd, SelItem1.mtd, ...
    bool copied = false; // false: the source never held the list, the target's stays
    int items = 0;
};

enum class MigrationOutcome {
    Done,
    TargetNotEmpty, // nothing copied: a target table holds rows and replace was not asked
    Failed,         // a store could not be opened, or a copy failed and was rolled back
};

struct MigrationResult {
    MigrationOutcome outcome = MigrationOutcome::Failed;
    std::vector<MigrationTable> tables; // in the order copied
    std::vector<MigrationList> lists;   // after the tables
    std::string error;                  // the reason of Failed / TargetNotEmpty
};

struct MigrationRequest {
    sql::StoreSettings from;
    sql::StoreSettings to;
    std::filesystem::path dataFolder; // holds the SQLite files of either side
    bool replace = false;             // empty non-empty target tables first
};

// Checks every target table before copying any, so a refusal changes
// nothing. Each table is copied in one transaction of the target, whose
// count must equal the source's before it commits; a table that fails
// leaves the target as it was and the tables after it are not copied.
// Once the tables are copied, each item list the source holds replaces the
// target's (lists are the users' choices, not rows: a target's list is not a
// reason to refuse) and is read back and compared.
MigrationResult MigrateStore(const MigrationRequest& request);

} // namespace kanata
