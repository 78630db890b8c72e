#include "app/ProgramState.h"

#include "app/CallWindows.h"
#include "app/DeskMode.h"
#include "data/AddressBook.h"
#include "data/Postgres.h"
#include "data/TDMKanata195.h"
#include "intake/CallProcessor.h"
#include "intake/TKTCommDLL.h"
#include "lookup/CallerLookup.h"
#include "lookup/DictionaryAddressSupplement.h"
#include "lookup/PhonebookEditions.h"
#include "platform/MessageService.h"
#include "settings/DatabaseSettings.h"
#include "settings/WorkFolders.h"

#include <QSoundEffect>
#include <QUrl>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <utility>

namespace kanata {

ProgramState::ProgramState(TMainForm& form, IntakeFlags& flags, MessageService& messages,
                           std::filesystem::path applicationFolder,
                           std::filesystem::path workFolder,
                           std::function<void()> adapterMessageArrived)
    : form(form), flags(flags), messages(messages), appFolder(std::move(applicationFolder)),
      workFolder(std::move(workFolder)), ini(this->workFolder / kSettingsFileName),
      wakeUp(std::move(adapterMessageArrived)), host([this] { wakeUp.ring(); }),
      extension(this->workFolder, messages),
      addressSupplement(std::make_unique<DictionaryAddressSupplement>(appFolder / "Dic")) {}

ProgramState::~ProgramState() {
    desk.reset();
    processor.reset();
    lookup.reset();
    if (dm && tablesOpen) {
        dm->CloseMeibo();
        dm->CloseRecvHis();
    }
    dm.reset();
    addressBook.reset();
    extension.unload();
    if (adapter)
        adapter->CloseLine();
    adapter.reset();
}

void ProgramState::setReadyForCalls(bool ready) {
    flags.ReadyForCalls = ready;
    host.setReadyForCalls(ready);
}

std::int32_t ProgramState::openLineOnce() {
    adapter->SetKindId(settings.Adapter);
    adapter->SetPort(TKTCommDLL::portNumberFromSetting(settings.Port));
    const auto version =
        static_cast<std::uint32_t>(std::strtoul(settings.DLL.c_str(), nullptr, 10));
    const bool useEx = settings.NewFunc && TKTCommDLL::canOpenLineEx(version);
    return useEx ? adapter->OpenLineEx(settings.CTISet) : adapter->OpenLine();
}

bool ProgramState::openTables() {
    const DataFolder data = resolveDataFolder(settings.DataPath, workFolder);
    std::error_code ec;
    std::filesystem::create_directories(data.folder, ec);
    const DatabaseSettingsRead database = ReadDatabaseSettings(ini);
    if (!database.unknownEngine.empty())
        std::fprintf(stderr, "kanata195: unknown DATABASE Engine %s, using the data folder\n",
                     database.unknownEngine.c_str());
    tablesStore = database.store;
    dm = std::make_unique<TDMKanata195>(data.folder, messages, StorageHooks{}, database.store);
    if (!tablesLock.acquire(data.folder, DataFolderLock::Mode::Shared))
        std::fprintf(stderr, "kanata195: the data folder is locked by a running import\n");
    // The program keeps one open of each table for its whole run, so that
    // every later counted open is only a count. Tables that did not open go
    // at once: the windows take `dm` as the sign that they are there.
    if (!dm->OpenRecvHis()) {
        dm.reset();
        tablesLock.release();
        return false;
    }
    if (!dm->OpenMeibo()) {
        dm->CloseRecvHis();
        dm.reset();
        tablesLock.release();
        return false;
    }
    tablesOpen = true;
    tablesAwaitServer = false;
    // The recovery brings the lists' connection back with the tables'.
    if (ItemListServer* lists = dm->ItemListsOnServer())
        lists->watchedBy(
            [this](const std::string& reason) { serverStatus.reportUnreachable(reason); });
    dm->LoadItemLists(appFolder); // reports each list it cannot read
    if (settings.UsePbAdrs)
        addressBook = std::make_unique<TDMPbarea>(messages);
    createCallProcessing();
    return true;
}

bool ProgramState::tablesServerAway(std::string& reason) {
    tablesStore = ReadDatabaseSettings(ini).store;
    if (tablesStore.engine != sql::Engine::Postgresql)
        return false;
    try {
        sql::ConnectToServer(tablesStore.server);
        return false;
    } catch (const std::exception& e) {
        reason = e.what();
        return true;
    }
}

void ProgramState::createCallProcessing() {
    std::optional<AddressBookSource> book;
    if (addressBook) {
        AddressBookSource source;
        source.module = addressBook.get();
        source.edition = settings.PbSeries;
        source.book = settings.PbAdrsBook;
        source.keywords = {settings.Memo1, settings.Memo2, settings.Memo3,
                           settings.rank,  settings.Line1, settings.Line2};
        book = source;
    }
    lookup = std::make_unique<CallerLookup>(*dm, book, hyphenation, registry, messages, appFolder,
                                            workFolder, settings.PhonebookDataFolder);
    windows->attach(*dm, *lookup);
    processor = std::make_unique<CallProcessor>(
        *dm, *lookup, extension.loaded() ? &extension : nullptr, hyphenation, *windows, messages,
        workFolder, CallProcessingSettings::from(settings));
    processor->setJournal(journal.get());
    processor->setServerStatus(&serverStatus);
    processor->adoptWaiting(std::exchange(carriedCalls, {}));
}

void ProgramState::closeTables() {
    desk.reset();
    if (processor)
        carriedCalls = processor->takeWaiting();
    windows->closeAll();
    processor.reset();
    lookup.reset();
    if (dm && tablesOpen) {
        dm->CloseMeibo();
        dm->CloseRecvHis();
    }
    tablesOpen = false;
    tablesLock.release();
    dm.reset();
    addressBook.reset();
}

void ProgramState::loadRingSound() {
    if (!settings.RingSound)
        return;
    std::ifstream probe(settings.WaveFile, std::ios::binary);
    if (!probe) {
        messages.information(
            "指定した着信音ファイルが読み込めませんでした  \r\n着信音は鳴りません  ");
        return;
    }
    ringSound = new QSoundEffect(program);
    ringSound->setSource(QUrl::fromLocalFile(QString::fromStdString(settings.WaveFile)));
    windows->setRingSound(ringSound);
}

std::optional<AddressBookEntry> ProgramState::chosenAddressBook() const {
    const PhonebookInstallation installation =
        FindPhonebookInstallation(registry, settings.PbSeries);
    if (!installation.registered || installation.installFolder.empty())
        return std::nullopt;
    const std::vector<AddressBookEntry> books = ListAddressBooks(installation.installFolder);
    if (settings.PbAdrsBook < 0 || settings.PbAdrsBook >= static_cast<int>(books.size()))
        return std::nullopt;
    return books[settings.PbAdrsBook];
}

} // namespace kanata
