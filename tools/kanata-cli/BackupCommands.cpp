// kanata-cli backup / backups / restore: the generations of the data folder
// that the program also writes at every start.
#include "tools/kanata-cli/Commands.h"

#include "maintenance/AutoBackup.h"
#include "maintenance/BackupRestore.h"
#include "platform/DataFolderLock.h"
#include "platform/SingleInstance.h"
#include "settings/IniFile.h"
#include "settings/WorkFolders.h"

#include <chrono>
#include <ctime>
#include <iostream>

namespace kanata::cli {
namespace {

// AUTO BACKUP AutoBUCount as the program reads it: 1..9, else 3.
int generationCount(const std::filesystem::path& workFolder) {
    IniFile ini(workFolder / kSettingsFileName);
    ini.load();
    const int n = ini.readInteger("AUTO BACKUP", "AutoBUCount", 3);
    return n >= 1 && n <= 9 ? n : 3;
}

std::string localTimeText(std::filesystem::file_time_type time) {
    const auto system = std::chrono::file_clock::to_sys(time);
    const std::time_t t = std::chrono::system_clock::to_time_t(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(system));
    std::tm local{};
    localtime_r(&t, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &local);
    return text;
}

int parseGeneration(const std::string& text) {
    if (text.size() == 1 && text[0] >= '1' && text[0] <= '9')
        return text[0] - '0';
    throw UsageError("GENERATION must be a number from 1 to 9, not " + text);
}

} // namespace

int runBackup(Arguments& args) {
    if (args.wantsHelp()) {
        std::cout << "usage: kanata-cli backup [--data DIR]\n"
                     "  rotates the backup generations under the work folder's bakData/ and\n"
                     "  saves the data folder as generation 1, as the program does at start\n"
                     "  (AUTO BACKUP AutoBUCount generations are kept). With the tables on a\n"
                     "  server ([DATABASE] Engine=postgresql) they and the item lists kept\n"
                     "  there are saved with pg_dump as Tables.pgdump (pg_dump's custom\n"
                     "  format); the password comes from ~/.pgpass or the service file, as\n"
                     "  for the program.\n"
                     "  exit status: 0 saved, 1 not (or not all) saved, 2 bad input\n";
        return kExitDone;
    }
    const auto data = args.takeOption("--data");
    args.positionals(0, 0);
    const Folders folders = resolveFolders(data);
    TAutoBackup backup(folders.workFolder, folders.dataFolder, generationCount(folders.workFolder),
                       folders.store);
    backup.Run();
    if (backup.code() != BackupCode::Done) {
        std::cerr << "kanata-cli backup: " << backupMessageText(backup.code()) << " ("
                  << OneLine(backup.detail()) << ")\n";
        return kExitNoResult;
    }
    std::cout << backup.generationFolder(1).string() << "\n";
    return kExitDone;
}

int runBackups(Arguments& args) {
    if (args.wantsHelp()) {
        std::cout << "usage: kanata-cli backups\n"
                     "  lists the backup generations (1 = newest) with the time of their data.\n";
        return kExitDone;
    }
    args.positionals(0, 0);
    const Folders folders = resolveFolders(std::nullopt);
    const auto generations = listBackupGenerations(folders.workFolder);
    for (const BackupGeneration& g : generations)
        std::cout << g.number << "\t" << localTimeText(g.time) << "\t" << g.files.size()
                  << " files\t" << g.folder.string() << "\n";
    return generations.empty() ? kExitNoResult : kExitDone;
}

int runRestore(Arguments& args) {
    if (args.wantsHelp()) {
        std::cout << "usage: kanata-cli restore GENERATION [--data DIR]\n"
                     "  puts the tables and item lists of a backup generation back into the\n"
                     "  data folder. The current data is kept first under\n"
                     "  bakData/before-restore-<time>/. Refused while the program runs.\n"
                     "  With the tables on a server ([DATABASE] Engine=postgresql) the\n"
                     "  generation's Tables.pgdump replaces the server's tables and item\n"
                     "  lists with pg_restore in one transaction; the server's tables are\n"
                     "  dumped into the before-restore folder first. A generation saved\n"
                     "  from the other engine is refused (kanata-cli db migrate moves the\n"
                     "  tables).\n"
                     "  exit status: 0 restored, 1 not restored (the data is as it was, or\n"
                     "  in the before-restore folder), 2 bad input\n";
        return kExitDone;
    }
    const auto data = args.takeOption("--data");
    const int generation = parseGeneration(args.positionals(1, 1)[0]);
    const Folders folders = resolveFolders(data);
    // Both locks: the program's own (it must not start meanwhile) and the
    // data folder's (no program or bulk job may have these tables open).
    SingleInstance instance(folders.workFolder);
    if (!instance.holdQuietly()) {
        std::cerr << "kanata-cli restore: the program is running; end it before restoring\n";
        return kExitNoResult;
    }
    DataFolderLock tables;
    if (!lockDataFolder(tables, folders, "restore"))
        return kExitNoResult;
    const RestoreOutcome outcome =
        restoreBackupGeneration(folders.workFolder, folders.dataFolder, generation, folders.store);
    if (!outcome.done) {
        std::cerr << "kanata-cli restore: " << OneLine(outcome.error) << "\n";
        if (!outcome.keptCurrentData.empty())
            std::cerr << "kanata-cli restore: the data before the restore is in "
                      << outcome.keptCurrentData.string() << "\n";
        return kExitNoResult;
    }
    std::cout << "restored " << outcome.restored.size() << " files from generation " << generation
              << " (";
    for (std::size_t i = 0; i < outcome.restored.size(); ++i)
        std::cout << (i ? " " : "") << outcome.restored[i];
    std::cout << "); the data before the restore is in " << outcome.keptCurrentData.string()
              << "\n";
    return kExitDone;
}

} // namespace kanata::cli
