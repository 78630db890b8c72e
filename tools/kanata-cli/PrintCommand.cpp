#include "tools/kanata-cli/Commands.h"

#include "data/MeiboTable.h"
#include "data/RecvHisTable.h"
#include "printing/ListPrintRun.h"
#include "printing/ListPrintSettingsStore.h"
#include "printing/PrintPageSettings.h"
#include "printing/PrintTemplates.h"
#include "printing/TablePrintSources.h"
#include "settings/IniFile.h"
#include "settings/WorkFolders.h"

#include <iostream>

namespace kanata::cli {

namespace {

constexpr const char* kUsage =
    "usage: kanata-cli print (--history|--roster) --pdf OUT.pdf [--template NAME] [--data DIR]\n"
    "  prints every record of the call history or the roster to a PDF file with the\n"
    "  last layout (\"前回のレイアウト\") or a named template of LPRHis.tpl / LPAMeibo.tpl,\n"
    "  on the paper and margins last chosen for printed lists (LstPrint.pi; A4 with\n"
    "  10 mm margins when none was chosen).\n";

PrintLayout ChosenLayout(const Folders& folders, const IniFile& ini, PrintSource source,
                         const std::optional<std::string>& name) {
    const auto last = StoredLayout(ini, source);
    PrintTemplates templates(
        folders.dataFolder / TemplateFileName(source),
        static_cast<int>(PrintItemsOf(source, SelectionItemNames(ini)).size()));
    templates.load(last);
    const std::string wanted = name.value_or(kLastLayoutName);
    const PrintTemplate* chosen = templates.find(wanted);
    if (!chosen)
        throw UsageError(name ? "no template named " + wanted + " in " + TemplateFileName(source)
                              : std::string("no layout in use: choose one with --template"));
    if (chosen->layout.empty())
        throw UsageError("the layout " + wanted + " has no columns");
    return chosen->layout;
}

} // namespace

int runPrint(Arguments& args) {
    if (args.wantsHelp()) {
        std::cout << kUsage;
        return kExitDone;
    }
    const bool history = args.takeFlag("--history");
    const bool roster = args.takeFlag("--roster");
    const auto pdf = args.takeOption("--pdf");
    const auto templateName = args.takeOption("--template");
    const auto data = args.takeOption("--data");
    args.positionals(0, 0);
    if (history == roster)
        throw UsageError("give one of --history or --roster");
    if (!pdf || pdf->empty())
        throw UsageError("--pdf OUT.pdf is required");

    const Folders folders = resolveFolders(data);
    IniFile ini(folders.workFolder / kSettingsFileName);
    ini.load();
    const PrintSource source = history ? PrintSource::History : PrintSource::Roster;
    ListPrintSettings settings = LoadListPrintSettings(ini, source);
    settings.layout = ChosenLayout(folders, ini, source, templateName);

    // Printing only reads: a data folder without the tables is a mistake,
    // not a reason to create them.
    const auto needed = history ? RecvHisTable::kFileName : MeiboTable::kFileName;
    if (folders.store.engine == sql::Engine::Sqlite &&
        !std::filesystem::exists(folders.dataFolder / needed))
        throw UsageError(std::string("no ") + needed + " in " + folders.dataFolder.string());
    RecvHisTable recvHis;
    MeiboTable meibo;
    meibo.open(folders.store, folders.dataFolder);
    const QPageLayout paper = ReadListPageLayout(folders.workFolder / kPrinterSettingsFileName);
    PrintChoice all;
    int pages = 0;
    bool written = false;
    if (history) {
        recvHis.open(folders.store, folders.dataFolder);
        HistoryPrintSource records(recvHis, &meibo, all, settings.format.ignoreTdfkn);
        written = PrintListToPdf(*pdf, settings, records, recvHis.count(), paper, &pages);
    } else {
        RosterPrintSource records(meibo, {}, all, settings.format.ignoreTdfkn);
        written = PrintListToPdf(*pdf, settings, records, meibo.count(), paper, &pages);
    }
    if (!written)
        throw UsageError("cannot write " + *pdf);
    std::cout << pages << " pages written to " << *pdf << "\n";
    return pages > 0 ? kExitDone : kExitNoResult;
}

} // namespace kanata::cli
