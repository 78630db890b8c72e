// kanata-cli db migrate: the history, the roster and the item lists from the
// data folder's files to the server of the settings' DATABASE section, or back.
#include "tools/kanata-cli/Commands.h"

#include "data/StoreMigration.h"

#include <iostream>

namespace kanata::cli {
namespace {

constexpr const char* kUsage =
    "usage: kanata-cli db migrate --to postgresql|sqlite [--replace] [--data DIR]\n"
    "  copies RecvHis and Meibo, every row with its record number, and the\n"
    "  item lists (Rank.mtd, SelItem1.mtd..SelItem3.mtd) with every item:\n"
    "  --to postgresql   from the data folder's RecvHis.DB, Meibo.DB and *.mtd\n"
    "                    to the server named in Kanata195.ini [DATABASE] (Host, Port,\n"
    "                    Name, User, SslMode; the password from ~/.pgpass)\n"
    "  --to sqlite       from that server back to the data folder's files\n"
    "  --replace         empty the target tables first; without it a target\n"
    "                    table that holds rows is refused and nothing is copied\n"
    "  --data DIR        the data folder (default: the one of the settings)\n"
    "  Each table is copied in one transaction and its row count checked\n"
    "  before it is committed. Refused while the program uses the data folder.\n"
    "  Each item list the source holds replaces the target's (whatever\n"
    "  --replace says) and is read back and compared; a list the source\n"
    "  never held is left as the target has it. Set Engine= in\n"
    "  [DATABASE] afterwards to use the copy.\n"
    "  exit status: 0 copied, 1 a store could not be used or a copy failed\n"
    "  (that table is left as it was), 2 bad input or a target not empty\n";

int migrate(Arguments& args) {
    const auto to = args.takeOption("--to");
    const bool replace = args.takeFlag("--replace");
    const auto dataOption = args.takeOption("--data");
    const std::string command = args.positionals(1, 1).front();
    if (command != "migrate")
        throw UsageError("unknown db command " + command + " (see kanata-cli db --help)");
    sql::Engine target = sql::Engine::Sqlite;
    if (!to || to->empty() || !sql::ParseEngine(*to, target))
        throw UsageError("give --to postgresql or --to sqlite");
    const Folders folders = resolveFolders(dataOption);

    MigrationRequest request;
    request.dataFolder = folders.dataFolder;
    request.replace = replace;
    sql::StoreSettings server{sql::Engine::Postgresql, folders.store.server};
    request.from = target == sql::Engine::Postgresql ? sql::StoreSettings{} : server;
    request.to = target == sql::Engine::Postgresql ? server : sql::StoreSettings{};

    DataFolderLock lock;
    if (!lockDataFolder(lock, folders, "db"))
        return kExitNoResult;
    const MigrationResult result = MigrateStore(request);
    for (const MigrationTable& t : result.tables)
        if (result.outcome == MigrationOutcome::Done)
            std::cout << t.name << ": " << t.copied << " rows copied\n";
    for (const MigrationList& l : result.lists)
        if (result.outcome == MigrationOutcome::Done)
            std::cout << l.name << ": "
                      << (l.copied ? std::to_string(l.items) + " items copied"
                                   : std::string("not in the source, left as it was"))
                      << "\n";
    switch (result.outcome) {
    case MigrationOutcome::Done:
        std::cout << "to use them set Engine=" << sql::EngineName(target)
                  << " in [DATABASE] of Kanata195.ini\n";
        return kExitDone;
    case MigrationOutcome::TargetNotEmpty:
        std::cerr << "kanata-cli db: " << OneLine(result.error)
                  << "; nothing copied (--replace empties it first)\n";
        return kExitBadInput;
    case MigrationOutcome::Failed:
        break;
    }
    std::cerr << "kanata-cli db: " << OneLine(result.error) << "\n";
    return kExitNoResult;
}

} // namespace

int runDb(Arguments& args) {
    if (args.wantsHelp()) {
        std::cout << kUsage;
        return kExitDone;
    }
    return migrate(args);
}

} // namespace kanata::cli
