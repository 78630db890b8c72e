// kanata-cli import: a text file into the history or the roster, with the
// automatic assignment by header names, the same backup, run and error log
// as the import dialog.
#include "tools/kanata-cli/Commands.h"

#include "data/Hyphenation.h"
#include "data/StoreSettings.h"
#include "data/TDMKanata195.h"
#include "data/THistoryData.h"
#include "lookup/AddressSupplement.h"
#include "lookup/DictionaryAddressSupplement.h"
#include "platform/LoggedMessageService.h"
#include "settings/IniFile.h"
#include "settings/WorkFolders.h"
#include "transfer/ImportRun.h"
#include "transfer/ImportStart.h"

#include <cstdio>
#include <iostream>
#include <unistd.h>

namespace kanata::cli {
namespace {

constexpr const char* kUsage =
    "usage: kanata-cli import (--history|--roster) FILE [--replace] [--no-supplement] "
    "[--from-record N] [--data DIR]\n"
    "  imports a comma-separated text file whose first line names the fields\n"
    "  (the header names the import dialog's automatic assignment knows).\n"
    "  --history / --roster   the destination table\n"
    "  --replace              roster: replace a record with the same number\n"
    "  --no-supplement        roster: do not complete addresses from the dictionary\n"
    "  --from-record N        start at record N (numbered as InError.txt numbers them,\n"
    "                         the header not counted), to go on after a failed run\n"
    "  --data DIR             the data folder (default: the one of the settings)\n"
    "  The table is copied to backupRH.imp / backupMB.imp first; rejected lines\n"
    "  go to InError.txt in the data folder. Refused while the program uses the\n"
    "  data folder.\n";

ImportDestination takeDestination(Arguments& args) {
    const bool history = args.takeFlag("--history");
    const bool roster = args.takeFlag("--roster");
    if (history == roster)
        throw UsageError("give one of --history and --roster");
    return history ? ImportDestination::History : ImportDestination::Roster;
}

long long parseFirstRecord(const std::optional<std::string>& text) {
    if (!text)
        return 1;
    if (text->empty() || text->size() > 12 ||
        text->find_first_not_of("0123456789") != std::string::npos || std::stoll(*text) < 1)
        throw UsageError("--from-record takes a record number from 1");
    return std::stoll(*text);
}

// A progress line on a terminal, rewritten in place.
ImportRun::Progress terminalProgress(long long total) {
    if (!isatty(STDERR_FILENO))
        return {};
    return [total](long long read) {
        std::fprintf(stderr, "\r%lld / %lld", read, total);
        std::fflush(stderr);
    };
}

ImportRequest prepare(ImportDestination destination, const std::filesystem::path& file,
                      const Folders& folders, bool replace, bool noSupplement) {
    ImportSample sample;
    const SampleProblem problem = LoadImportSample(file, folders.dataFolder, sample);
    if (problem != SampleProblem::None)
        throw UsageError(SampleProblemText(problem));
    if (sample.unmarkedUtf8)
        std::cerr << "kanata-cli import: " << file.string()
                  << " is UTF-8 without a byte-order mark; read as UTF-8\n";
    IniFile settings(folders.workFolder / kSettingsFileName);
    settings.load();
    ImportRequest request;
    request.destination = destination;
    request.file = file;
    request.sampleFieldCount = static_cast<int>(sample.fields.size());
    request.skipFirst = true;
    request.sameReplace = replace;
    request.noSupplement = noSupplement;
    AssignByHeaderNames(request.mapping, ImportItems(destination, ReadSelectionCaptions(settings)),
                        sample.fields);
    if (const std::string problemText = MappingProblem(destination, request.mapping);
        !problemText.empty())
        throw UsageError(problemText);
    return request;
}

} // namespace

int runImport(Arguments& args) {
    if (args.wantsHelp()) {
        std::cout << kUsage;
        return kExitDone;
    }
    const ImportDestination destination = takeDestination(args);
    const bool replace = args.takeFlag("--replace");
    const bool noSupplement = args.takeFlag("--no-supplement");
    const long long firstRecord = parseFirstRecord(args.takeOption("--from-record"));
    const auto dataOption = args.takeOption("--data");
    const std::filesystem::path file = args.positionals(1, 1).front();
    std::error_code ec;
    if (!std::filesystem::exists(file, ec))
        throw UsageError("no such file: " + file.string());
    if (!std::filesystem::is_regular_file(file, ec))
        throw UsageError("not a file: " + file.string());
    const Folders folders = resolveFolders(dataOption);
    ImportRequest request = prepare(destination, file, folders, replace, noSupplement);
    request.firstRecord = firstRecord;
    const long long records = ImportRecordCount(file, true) - (firstRecord - 1);
    if (records < 1) {
        std::cerr << "kanata-cli import: " << OneLine(kOnlyOneLineMessage) << "\n";
        return kExitNoResult;
    }

    DataFolderLock lock;
    if (!lockDataFolder(lock, folders, "import"))
        return kExitNoResult;
    LoggedMessageService messages;
    TDMKanata195 dm(folders.dataFolder, messages, StorageHooks{}, folders.store);
    // Each list that cannot be read was reported; an import would add to it.
    if (dm.LoadItemLists(folders.applicationFolder) > 0) {
        std::cerr << "kanata-cli import: an item list cannot be read (see the messages above)\n";
        return kExitNoResult;
    }
    HyphenationService hyphenation;
    hyphenation.Load(folders.applicationFolder / "Dic", messages);
    DictionaryAddressSupplement supplement(folders.applicationFolder / "Dic");
    ImportRun run(dm, hyphenation, supplement, messages);
    // The folder lock keeps the program and every other import away; a
    // server's tables may still be shared with other desks' calls, which
    // wait for each batch.
    if (folders.store.engine == sql::Engine::Sqlite)
        run.setBatchLimits(kUnattendedBatches);
    const ImportResult result = run.run(request, terminalProgress(records));
    if (isatty(STDERR_FILENO))
        std::fputc('\n', stderr);
    std::cout << "read " << result.read << ", registered " << result.registered << "\n";
    if (result.logged > 0)
        std::cout << result.logged << " rejected, see "
                  << (folders.dataFolder / "InError.txt").string() << "\n";
    if (result.unstoredFrom > 0)
        std::cout << "not stored from record " << result.unstoredFrom << " (line "
                  << result.unstoredLine << " of the file) on"
                  << (result.unstoredLogged ? "; those records are in InError.txt"
                                            : "; InError.txt could not be written either")
                  << "; go on with --from-record " << result.unstoredFrom << "\n";
    return result.aborted ? kExitNoResult : kExitDone;
}

} // namespace kanata::cli
