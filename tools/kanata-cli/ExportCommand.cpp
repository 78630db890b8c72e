#include "tools/kanata-cli/Commands.h"

#include "data/Cp932.h"
#include "data/Hyphenation.h"
#include "data/Sqlite.h"
#include "data/TDMKanata195.h"
#include "platform/LoggedMessageService.h"
#include "settings/IniFile.h"
#include "settings/WorkFolders.h"
#include "transfer/ExportPassword.h"
#include "transfer/ExportRun.h"
#include "transfer/SfxBuilder.h"

#include <iostream>
#include <string>
#include <system_error>

namespace kanata::cli {
namespace {

constexpr const char* kHelp =
    "usage: kanata-cli export (--history|--roster) OUT.csv [--layout all|saved] [--encrypt]\n"
    "                         [--utf8] [--data DIR]\n"
    "  writes every record of the call history or the roster as code page 932\n"
    "  comma-separated text with CR LF line ends.\n"
    "  --utf8          UTF-8 with a byte-order mark instead, which keeps the characters\n"
    "                  code page 932 cannot hold (they become \"?\" otherwise)\n"
    "  --layout all    every one of the 28 items, one column each (the default)\n"
    "  --layout saved  the layout saved by the program's export settings\n"
    "  --encrypt       reads a password (8 to 16 letters and digits) from standard\n"
    "                  input and writes only a self-extracting file, OUT with the\n"
    "                  extension .exe; run it and give the password to restore OUT\n"
    "                  (an OUT that already ends in .exe is restored as .txt)\n"
    "  --data DIR      another data folder\n"
    "  exit status: 0 written, 1 nothing to write, 2 bad input\n";

std::array<std::string, 3> selectionCaptions(const IniFile& ini) {
    std::array<std::string, 3> captions{"内容", "メモ", "受付"};
    for (std::size_t i = 0; i < 3; ++i) {
        const std::string v = ini.readString("SCREEN VIEW", "SelectItem" + std::to_string(i + 1));
        if (!cp932::trim(v).empty())
            captions[i] = v;
    }
    return captions;
}

std::string readPassword() {
    std::string password;
    std::getline(std::cin, password);
    if (!password.empty() && password.back() == '\r')
        password.pop_back();
    if (auto problem = CheckExportPassword(password, password))
        throw UsageError(cp932::trim(problem->message.substr(0, problem->message.find('\r'))));
    return password;
}

void reportReplaced(std::int64_t replaced) {
    if (replaced > 0)
        std::cout << replaced
                  << " characters that code page 932 cannot hold were written as \"?\"; --utf8 "
                     "keeps them\n";
}

} // namespace

int runExport(Arguments& args) {
    if (args.wantsHelp()) {
        std::cout << kHelp;
        return kExitDone;
    }
    const bool history = args.takeFlag("--history");
    const bool roster = args.takeFlag("--roster");
    const bool encrypt = args.takeFlag("--encrypt");
    const bool utf8 = args.takeFlag("--utf8");
    const std::string layoutChoice = args.takeOption("--layout").value_or("all");
    const std::optional<std::string> data = args.takeOption("--data");
    const std::vector<std::string> rest = args.positionals(1, 1);
    if (history == roster)
        throw UsageError("give one of --history and --roster");
    if (layoutChoice != "all" && layoutChoice != "saved")
        throw UsageError("--layout takes all or saved");
    const Folders folders = resolveFolders(data);
    const std::filesystem::path out = std::filesystem::absolute(rest.front());
    std::error_code ec;
    if (!std::filesystem::is_directory(out.parent_path(), ec))
        throw UsageError("no such folder: " + out.parent_path().string());

    IniFile ini(folders.workFolder / kSettingsFileName);
    ini.load();
    const ExportSettings settings = ExportSettings::Read(ini);
    ExportJob job;
    job.source = history ? ExportSource::History : ExportSource::Roster;
    job.options = settings.options;
    job.options.OutUtf8 = utf8;
    job.captions = ExportItemCaptions(job.source, selectionCaptions(ini));
    job.range = ExportRange::All;
    if (layoutChoice == "saved") {
        job.layout = settings.layouts[static_cast<std::size_t>(job.source)];
        if (job.layout.empty())
            throw UsageError("no layout is saved for this source");
    } else {
        job.layout.setAll(kExportItemCount);
    }
    if (history)
        UseHistoryOrder(job);
    else
        UseRosterOrder(job, "");
    const std::string password = encrypt ? readPassword() : std::string();

    LoggedMessageService messages;
    HyphenationService hyphenation;
    hyphenation.Load(folders.applicationFolder / "Dic", messages);
    TDMKanata195 dm(folders.dataFolder, messages, StorageHooks{}, folders.store);
    TableUse useHistory(dm, &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
    TableUse useRoster(dm, &TDMKanata195::OpenMeibo, &TDMKanata195::CloseMeibo);
    if (!useHistory || !useRoster) {
        std::cerr << "kanata-cli export: the tables cannot be opened: "
                  << OneLine(dm.lastOpenFailure()) << "\n";
        return kExitNoResult;
    }
    ExportWriter writer(dm.RecvHis(), dm.Meibo(), &hyphenation);
    if (writer.targetCount(job) == 0) {
        std::cerr << "kanata-cli export: no records\n";
        return kExitNoResult;
    }
    if (!encrypt) {
        const std::int64_t written = WriteExportFile(writer, job, out, false);
        std::cout << written << " records written to " << out.string() << "\n";
        reportReplaced(writer.replacedCharacters());
        return kExitDone;
    }
    const EncryptedOutput files = EncryptedOutput::For(WithSfxExtension(out));
    EncryptedOutput named = files;
    // Restored under OUT's own name, unless that is the extractor's name:
    // the text would then take the place of the file that restores it.
    if (out.filename() != files.output.filename())
        named.tempText = files.tempFolder / out.filename();
    std::filesystem::create_directories(named.tempFolder, ec);
    TempFolderRemoval removal(named.tempFolder);
    const std::int64_t written = WriteExportFile(writer, job, named.tempText, false);
    const int result = BuildSelfExtractor(SfxBuilder(folders.applicationFolder / kSfxExtractorName),
                                          named, password, nullptr);
    if (result != kSfxDone) {
        std::cerr << "kanata-cli export: " << cp932::trim(SfxFailureMessage(result)) << "\n";
        return kExitNoResult;
    }
    std::cout << written << " records written to " << named.output.string() << "\n";
    reportReplaced(writer.replacedCharacters());
    return kExitDone;
}

} // namespace kanata::cli
