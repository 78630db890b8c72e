#include "intake/gui/KanataProgram.h"

#include "data/AddressBook.h"
#include "data/TDMKanata195.h"
#include "data/THistoryData.h"
#include "history/gui/THistoryList.h"
#include "intake/CallProcessor.h"
#include "intake/DialOut.h"
#include "intake/LineReports.h"
#include "intake/StartupRules.h"
#include "intake/TKTCommDLL.h"
#include "intake/gui/CallWindows.h"
#include "intake/gui/HelpMenu.h"
#include "intake/gui/TCallsTelephone.h"
#include "intake/gui/TMainForm.h"
#include "intake/gui/TPasswordForm.h"
#include "intake/gui/TRunPb.h"
#include "intake/gui/TSetIPPBXDetail.h"
#include "intake/gui/TVersion.h"
#include "lookup/CallerLookup.h"
#include "lookup/DictionaryAddressSupplement.h"
#include "lookup/PhonebookEditions.h"
#include "maintenance/AutoBackup.h"
#include "maintenance/gui/AddressBookBackupAtStart.h"
#include "maintenance/gui/StartupNotices.h"
#include "maps/gui/MapButton.h"
#include "platform/DriveScan.h"
#include "platform/MessageService.h"
#include "printing/gui/PrinterSettingsFile.h"
#include "printing/gui/TListPrint.h"
#include "roster/MeiboSettings.h"
#include "roster/gui/TMeiboList.h"
#include "roster/gui/TMeiboView.h"
#include "settings/DatabaseSettings.h"
#include "settings/WindowGeometry.h"
#include "settings/WorkFolders.h"
#include "settings/gui/TEnvironment.h"
#include "transfer/AdapterHistory.h"
#include "transfer/AddressSupplement.h"
#include "transfer/SfxBuilder.h"
#include "transfer/gui/ExportEnvironment.h"
#include "transfer/gui/TFileExport.h"
#include "transfer/gui/TFileImport.h"
#include "transfer/gui/TGetReceiveHistory.h"
#include "views/ReceiveViewSettings.h"
#include "views/gui/TReceiveView.h"
#include "views/gui/TReceiveViewMini.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QSoundEffect>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace kanata {

KanataProgram::KanataProgram(TMainForm& form, IntakeFlags& flags, MessageService& messages,
                             std::filesystem::path applicationFolder,
                             std::filesystem::path workFolder)
    : form_(form), flags_(flags), messages_(messages), appFolder_(std::move(applicationFolder)),
      workFolder_(std::move(workFolder)), ini_(workFolder_ / kSettingsFileName),
      wakeUp_([this] { drainAdapterMessages(); }), host_([this] { wakeUp_.ring(); }),
      extension_(workFolder_, messages_),
      addressSupplement_(std::make_unique<DictionaryAddressSupplement>(appFolder_ / "Dic")) {
    form_.hooks().startup = [this] { runStartup(); };
    showTimer_.setSingleShot(true);
    connect(&showTimer_, &QTimer::timeout, this, &KanataProgram::showNewestCall);
    windows_ =
        std::make_unique<CallWindows>(form_, flags_, messages_, ini_, settings_, hyphenation_);
    windows_->describeAddressBook = [this](ReceiveViewSettings& view) {
        describeAddressBook(view);
    };
    windows_->dialOut = [this](const std::vector<std::string>& numbers, QWidget* owner) {
        openDialDialog(numbers, owner);
    };
    windows_->programFolder = appFolder_;
    wireFormHooks();
}

KanataProgram::~KanataProgram() {
    host_.setReadyForCalls(false);
    flags_.ReadyForCalls = false;
    releaseRosterList();
    if (started_)
        writeExitSettings();
    processor_.reset();
    lookup_.reset();
    if (dm_ && tablesOpen_) {
        dm_->CloseMeibo();
        dm_->CloseRecvHis();
    }
    dm_.reset();
    addressBook_.reset();
    extension_.unload();
    if (adapter_)
        adapter_->CloseLine();
    adapter_.reset();
}

void KanataProgram::runStartup() {
    flags_.NeedEnvironmentSetup = false;
    openJournal();
    if (!constructAdapter())
        return closeProgram();
    loadSettings();
    if (!checkStartupPassword())
        return closeProgram();
    openLineAheadOfTheCheck();
    if (dialogs_.noticesAndUpdate && dialogs_.noticesAndUpdate(settings_))
        return closeProgram();
    SaveNotices(settings_, ini_);
    ini_.save();
    if (!prepareAdapterModels())
        return closeProgram();
    checkPhonebookLink();
    backUpAddressBook();
    if (flags_.NeedEnvironmentSetup && !runEnvironmentSetup())
        return closeProgram();
    if (!openLine())
        return closeProgram();
    flags_.NeedEnvironmentSetup = false;
    loadServices();
    if (!openTables())
        return closeProgram();
    loadRingSound();
    if (settings_.AutoBU && !loadResult_.dataPathReplaced)
        runAutoBackup();
    finishStartup();
}

void KanataProgram::runAutoBackup() {
    if (dialogs_.autoBackup)
        return dialogs_.autoBackup(settings_);
    TAutoBackup backup(workFolder_, resolveDataFolder(settings_.DataPath, workFolder_).folder,
                       settings_.AutoBUCount);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    backup.Run();
    QApplication::restoreOverrideCursor();
    backup.Report(messages_, &form_);
}

void KanataProgram::backUpAddressBook() {
    if (!settings_.UsePbAdrs || phonebookLinkProblem_ || !settings_.PbBackup ||
        !dialogs_.addressBookBackup)
        return;
    if (!dialogs_.addressBookBackup(settings_))
        messages_.information("アドレス帳のバックアップに失敗しました　", &form_);
}

bool KanataProgram::constructAdapter() {
    // The settings file is read once here: LineType is needed before the
    // library, the rest is checked by loadSettings.
    ini_.load();
    // A damaged file is replaced only once the user has confirmed what
    // could be read from it in the settings dialog.
    if (ini_.damaged())
        ini_.holdWrites();
    const int lineType = ini_.readInteger("COMMON", "UseType", 0);
    if (lineType != 0 && lineType != 1)
        return true;
    adapter_ = TKTCommDLL::create(messages_, appFolder_, lineType, host_);
    return adapter_ != nullptr;
}

void KanataProgram::loadSettings() {
    SettingsEnvironment env;
    env.applicationFolder = appFolder_;
    env.workFolder = workFolder_;
    if (adapter_)
        env.adapterLibraryVersion = std::to_string(adapter_->GetVersion());
    env.scanDrives = [](bool network) { return scanDrives(network); };
    loadResult_ = LoadGlobalSettings(ini_, env, messages_, settings_);
    if (loadResult_.needEnvironmentSetup)
        flags_.NeedEnvironmentSetup = true;

    const int dpi = form_.logicalDpiX();
    QScreen* screen = form_.screen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    StoredGeometry stored;
    stored.left = settings_.MenuLeft;
    stored.top = settings_.MenuTop;
    ScreenGeometry defaults{0, 0, form_.width(), form_.height(), {}};
    ScreenGeometry placed = applyGeometry(stored, defaults, area.width(), area.height(), dpi);
    form_.move(placed.left, placed.top);

    MainWindowOptions options;
    options.CloseMsg = settings_.CloseMsg;
    options.WindowsEnd = settings_.WindowsEnd;
    options.MenuVisible = settings_.MenuVisible;
    options.MenuTopMost = settings_.MenuTopMost;
    form_.setOptions(options);
}

bool KanataProgram::checkStartupPassword() {
    registry_.reload();
    const auto stored = registry_.readString(kStartupPasswordKey, kStartupPasswordValue);
    return askStartupPassword(stored.value_or(std::string()), messages_, &form_);
}

bool KanataProgram::prepareAdapterModels() {
    if (!adapter_ || lineOpenedEarly_)
        return true;
    adapter_->SetExtendMode(settings_.AdapterExtend);
    if (!adapter_->LoadKinds()) {
        messages_.error("対応機器情報が取得できませんでした  \r\nプログラムを終了します  ");
        return false;
    }
    if (!flags_.NeedEnvironmentSetup && !adapter_->SelectKind(settings_.Adapter))
        flags_.NeedEnvironmentSetup = true;
    return true;
}

// The update check may wait on the network for seconds. A line that opens
// without a word to the user is opened before it, so that a call in that
// time waits in the journal instead of finding no line. Whatever would show
// something (a first run, a USB cable's notices, a model the library does
// not list, a port that fails) is left to the line's own step, in its place.
void KanataProgram::openLineAheadOfTheCheck() {
    if (!adapter_ || settings_.Adapter == 0 || flags_.NeedEnvironmentSetup ||
        settings_.UsbSerial != 0)
        return;
    adapter_->SetExtendMode(settings_.AdapterExtend);
    if (!adapter_->LoadKinds() || !adapter_->SelectKind(settings_.Adapter))
        return;
    lineOpenedEarly_ = openLineOnce() == KT_OPEN_OK;
}

bool KanataProgram::runEnvironmentSetup() {
    // The dialog may change the line's settings: a line opened ahead of the
    // check is closed and opened again by the usual step.
    if (lineOpenedEarly_) {
        adapter_->CloseLine();
        lineOpenedEarly_ = false;
    }
    const std::string library = adapter_ ? adapter_->fileName() : std::string();
    messages_.information(loadResult_.fileDamaged
                              ? DamagedSettingsFileMessage(ini_.path())
                              : setupReasonMessage(loadResult_.firstRun,
                                                   loadResult_.adapterLibraryReplaced, library,
                                                   phonebookLinkProblem_),
                          &form_);
    form_.raise();
    form_.activateWindow();
    if (!environmentDialog())
        return false;
    if (adapter_)
        adapter_->SelectKind(settings_.Adapter);
    return true;
}

bool KanataProgram::environmentDialog() {
    if (dialogs_.environment)
        return dialogs_.environment();
    const auto changed = runSettingsDialog(true);
    return changed && takeStartupSettings(*changed);
}

void KanataProgram::openIpPbxDetails(const EnvironmentModel& model, int kindId) {
    std::string name;
    for (const AdapterModel& m : model.catalog().optical)
        if (m.kindId == kindId)
            name = m.name;
    const bool inUse = settings_.UseType == 1 && settings_.Adapter == kindId;
    TSetIPPBXDetail details(QString::fromStdString(name), kindId, inUse,
                            workFolder_ / kIpAdapterIniName, messages_,
                            QApplication::activeModalWidget());
    details.exec();
    ipDetailsChanged_ = ipDetailsChanged_ || details.lineNeedsReopening();
}

void KanataProgram::openDialDialog(const std::vector<std::string>& numbers, QWidget* owner) {
    if (!adapter_ || settings_.Adapter == 0 || settings_.UseType > 1)
        return;
    IniFile ipIni(workFolder_ / kIpAdapterIniName);
    ipIni.load();
    const DialLine line{settings_.UseType, settings_.Adapter, adapter_->CurrentKind().DialPorts,
                        dialExtension(settings_.Adapter, ipIni)};
    TCallsTelephone dialog(
        line, ini_, messages_,
        [this](std::int32_t lineNumber, const std::string& digits) {
            if (adapter_)
                adapter_->Dial(lineNumber, digits);
        },
        owner);
    dialog.setNumbers(numbers);
    dialog.exec();
}

AdapterCatalog KanataProgram::listAdapterModels() {
    AdapterCatalog catalog;
    AdapterHost listingHost;
    const char* failures[] = {"アナログ/INS64回線対応機器情報が取得できませんでした  ",
                              "光回線対応機器情報が取得できませんでした  "};
    for (int index : {0, 1}) {
        // The library in use lists its own models; the other one is loaded
        // just for the listing and released at once.
        std::unique_ptr<TKTCommDLL> listing;
        TKTCommDLL* library =
            adapter_ && adapter_->libraryIndex() == index ? adapter_.get() : nullptr;
        if (!library) {
            listing = TKTCommDLL::create(messages_, appFolder_, index, listingHost);
            if (listing) {
                listing->SetExtendMode(settings_.AdapterExtend);
                if (!listing->LoadKinds())
                    listing.reset();
            }
            library = listing.get();
        }
        if (!library) {
            messages_.error(failures[index]);
            break;
        }
        std::vector<AdapterModel> models = ToAdapterModels(library->Kinds());
        if (index == 0) {
            catalog.analog = std::move(models);
        } else {
            catalog.opticalVersion = library->GetVersion();
            catalog.optical = OfferedOpticalModels(models, catalog.opticalVersion,
                                                   settings_.UseBelleBox, settings_.UseOGW);
        }
    }
    return catalog;
}

std::optional<GlobalSettings> KanataProgram::runSettingsDialog(bool startup) {
    EnvironmentServices services;
    services.phonebookEdition = [this](int edition) {
        registry_.reload();
        return ReadPhonebookEdition(registry_, edition);
    };
    services.autostart.emplace(LoginAutostart::defaultEntry(), appFolder_ / "kanata195");
    EnvironmentModel model(settings_, listAdapterModels(), startup, messages_, services);
    EnvironmentHooks hooks;
    hooks.scanDrives = [](bool network) { return scanDrives(network); };
    hooks.checkUpdateNow = [this] {
        const UpdateContext context{appFolder_, workFolder_, &messages_,
                                    QApplication::activeModalWidget()};
        if (checkForUpdateNow(settings_, context))
            closeProgram();
    };
    hooks.ipPbxDetails = [this, &model](int kindId) { openIpPbxDetails(model, kindId); };
    TEnvironment dialog(model, ini_, messages_, hooks, &form_);
    const bool accepted = dialogs_.runEnvironment ? dialogs_.runEnvironment(dialog)
                                                  : dialog.exec() == QDialog::Accepted;
    settings_.InitTab = dialog.pgcEnvironment->currentIndex();
    settings_.TipView = dialog.chkTipView->isChecked();
    if (!accepted)
        return std::nullopt;
    return model.settings();
}

// At start-up nothing is open yet: the settings are stored, and only a new
// line type needs another library before the line is opened.
bool KanataProgram::takeStartupSettings(const GlobalSettings& changed) {
    const bool otherLibrary = changed.UseType != settings_.UseType;
    settings_ = changed;
    if (otherLibrary) {
        adapter_.reset();
        if (settings_.UseType == 0 || settings_.UseType == 1) {
            adapter_ = TKTCommDLL::create(messages_, appFolder_, settings_.UseType, host_);
            if (!adapter_)
                return false;
            settings_.DLL = std::to_string(adapter_->GetVersion());
            adapter_->SetExtendMode(settings_.AdapterExtend);
            adapter_->LoadKinds();
        }
    }
    saveConfirmedSettings();
    return true;
}

// The user has pressed "設定(&S)": the settings are written, also over a
// file that was damaged, and a failure is told.
void KanataProgram::saveConfirmedSettings() {
    SaveFromSettingsDialog(settings_, ini_);
    if (!ini_.acceptRewrite() || !ini_.save())
        messages_.error(ini_.lastError(), &form_);
}

void KanataProgram::showEnvironment() {
    const auto changed = runSettingsDialog(false);
    if (!changed)
        return;
    if (EnvironmentModel::AdapterSettingsChanged(settings_, *changed))
        messages_.information(kReconfigureNotice, &form_);
    applySettings(*changed);
}

std::int32_t KanataProgram::openLineOnce() {
    adapter_->SetKindId(settings_.Adapter);
    adapter_->SetPort(TKTCommDLL::portNumberFromSetting(settings_.Port));
    const auto version =
        static_cast<std::uint32_t>(std::strtoul(settings_.DLL.c_str(), nullptr, 10));
    const bool useEx = settings_.NewFunc && TKTCommDLL::canOpenLineEx(version);
    return useEx ? adapter_->OpenLineEx(settings_.CTISet) : adapter_->OpenLine();
}

bool KanataProgram::openLine() {
    if (!adapter_ || settings_.Adapter == 0 || lineOpenedEarly_)
        return true;
    LineOpenSteps steps;
    steps.request = [this] { return LineOpenRequest{settings_.UsbSerial, settings_.Port}; };
    // The settings dialog may have left no model, or no library, to open.
    steps.open = [this] {
        return adapter_ && settings_.Adapter != 0 ? openLineOnce() : KT_OPEN_OK;
    };
    steps.settingsDialog = [this] {
        flags_.NeedEnvironmentSetup = true;
        return environmentDialog();
    };
    steps.modelName = [this] { return adapterKindName(adapter_->CurrentKind()); };
    steps.usbProgressWindow = [this] {
        QLabel note(QStringLiteral("USB-シリアル変換ケーブル使用時の処理中．．．  "), &form_,
                    Qt::Tool | Qt::WindowStaysOnTopHint);
        note.setMargin(16);
        note.show();
        QApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 1000)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
    };
    return OpenLineAtStartup(steps, messages_) == LineOpenOutcome::Opened;
}

void KanataProgram::loadServices() {
    hyphenation_.Load(appFolder_ / "Dic", messages_);
    extension_.load(appFolder_);
}

bool KanataProgram::openTables() {
    const DataFolder data = resolveDataFolder(settings_.DataPath, workFolder_);
    std::error_code ec;
    std::filesystem::create_directories(data.folder, ec);
    const DatabaseSettingsRead database = ReadDatabaseSettings(ini_);
    if (!database.unknownEngine.empty())
        std::fprintf(stderr, "kanata195: unknown DATABASE Engine %s, using the data folder\n",
                     database.unknownEngine.c_str());
    dm_ = std::make_unique<TDMKanata195>(data.folder, messages_, StorageHooks{}, database.store);
    if (!tablesLock_.acquire(data.folder, DataFolderLock::Mode::Shared))
        std::fprintf(stderr, "kanata195: the data folder is locked by a running import\n");
    // The program keeps one open of each table for its whole run, so that
    // every later counted open is only a count.
    if (!dm_->OpenRecvHis())
        return false;
    if (!dm_->OpenMeibo()) {
        dm_->CloseRecvHis();
        return false;
    }
    tablesOpen_ = true;
    dm_->LoadItemLists(appFolder_); // reports each list it cannot read
    if (settings_.UsePbAdrs)
        addressBook_ = std::make_unique<TDMPbarea>(messages_);
    createCallProcessing();
    return true;
}

void KanataProgram::createCallProcessing() {
    std::optional<AddressBookSource> book;
    if (addressBook_) {
        AddressBookSource source;
        source.module = addressBook_.get();
        source.edition = settings_.PbSeries;
        source.book = settings_.PbAdrsBook;
        source.keywords = {settings_.Memo1, settings_.Memo2, settings_.Memo3,
                           settings_.rank,  settings_.Line1, settings_.Line2};
        book = source;
    }
    lookup_ =
        std::make_unique<CallerLookup>(*dm_, book, hyphenation_, registry_, messages_, appFolder_,
                                       workFolder_, settings_.PhonebookDataFolder);
    windows_->attach(*dm_, *lookup_);
    processor_ = std::make_unique<CallProcessor>(
        *dm_, *lookup_, extension_.loaded() ? &extension_ : nullptr, hyphenation_, *windows_,
        messages_, workFolder_, CallProcessingSettings::from(settings_));
    processor_->setJournal(journal_.get());
}

void KanataProgram::loadRingSound() {
    if (!settings_.RingSound)
        return;
    std::ifstream probe(settings_.WaveFile, std::ios::binary);
    if (!probe) {
        messages_.information(
            "指定した着信音ファイルが読み込めませんでした  \r\n着信音は鳴りません  ");
        return;
    }
    ringSound_ = new QSoundEffect(this);
    ringSound_->setSource(QUrl::fromLocalFile(QString::fromStdString(settings_.WaveFile)));
    windows_->setRingSound(ringSound_);
}

void KanataProgram::finishStartup() {
    const bool historyCapacity = adapter_ && adapter_->CurrentKind().HistoryCapacity != 0;
    form_.actGetRecvHis->setEnabled(historyCapacity);
    form_.showTrayIcon();
    flags_.PopupAllowed = true;
    form_.setIndicator(false);
    form_.setAskOnClose(true);
    windows_->createHistoryList();
    form_.applyMenuVisible(settings_.MenuVisible);
    form_.applyMenuTopMost(settings_.MenuTopMost);
    started_ = true;
    flags_.ReadyForCalls = true;
    host_.setReadyForCalls(true);
    std::fprintf(stderr, "kanata195: ready for calls\n");
    std::fflush(stderr);
    emit readyForCalls();
    // What arrived during start-up (and what an earlier run left) is stored
    // now, in the order it arrived.
    scheduleCalls();
}

namespace {
bool adapterSettingsChanged(const GlobalSettings& a, const GlobalSettings& b) {
    return a.UseType != b.UseType || a.Adapter != b.Adapter || a.Port != b.Port ||
           a.UsbSerial != b.UsbSerial;
}
bool phonebookLinkChanged(const GlobalSettings& a, const GlobalSettings& b) {
    return a.UsePbAdrs != b.UsePbAdrs || a.PbSeries != b.PbSeries || a.PbAdrsBook != b.PbAdrsBook ||
           a.PbAdrsBookName != b.PbAdrsBookName;
}
void waitProcessingEvents(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}
} // namespace

bool KanataProgram::applySettings(const GlobalSettings& changed) {
    const GlobalSettings before = settings_;
    settings_ = changed;
    // New connection details are read by the library when the line opens.
    const bool adapterChanged =
        adapterSettingsChanged(before, changed) || std::exchange(ipDetailsChanged_, false);
    const bool dataChanged =
        std::filesystem::weakly_canonical(resolveDataFolder(before.DataPath, workFolder_).folder) !=
        std::filesystem::weakly_canonical(resolveDataFolder(changed.DataPath, workFolder_).folder);
    const bool linkChanged = phonebookLinkChanged(before, changed);
    saveConfirmedSettings();

    bool lineOk = true;
    if (adapterChanged || dataChanged || linkChanged) {
        // No call is stored while the line and the tables are rebuilt; the
        // calls that arrive meanwhile wait in the journal.
        flags_.ReadyForCalls = false;
        host_.setReadyForCalls(false);
        if (adapterChanged) {
            if (adapter_ && before.UseType != 2) {
                adapter_->CloseLine();
                waitProcessingEvents(500);
            }
            adapter_.reset();
        }
        // Only the tables and the address book move; the line stays open,
        // so no call is lost to a change that does not concern it.
        if (dataChanged || linkChanged)
            reopenTables();
        if (adapterChanged)
            lineOk = rebuildAdapter();
        flags_.ReadyForCalls = true;
        host_.setReadyForCalls(true);
        scheduleCalls();
    }
    applyWindowSettings(before);
    // The backup of the newly linked address book comes first; the line is
    // reported ready once everything the change asked for is done.
    if (lineOk && linkChanged && settings_.UsePbAdrs && !phonebookLinkProblem_)
        offerAddressBookBackup(settings_, registry_,
                               resolveDataFolder(settings_.DataPath, workFolder_).folder, messages_,
                               &form_);
    if (lineOk && adapterChanged)
        messages_.information("再設定が完了しました  ", &form_);
    return lineOk;
}

bool KanataProgram::rebuildAdapter() {
    const int lineType = settings_.UseType;
    if (lineType != 0 && lineType != 1)
        return true;
    adapter_ = TKTCommDLL::create(messages_, appFolder_, lineType, host_);
    if (!adapter_)
        return false;
    settings_.DLL = std::to_string(adapter_->GetVersion());
    ini_.writeString("VERSION", "DLL", settings_.DLL);
    ini_.save();
    adapter_->SetExtendMode(settings_.AdapterExtend);
    adapter_->LoadKinds();
    adapter_->SelectKind(settings_.Adapter);
    if (settings_.Adapter == 0)
        return true;
    return ReopenLineAfterSettings(openLineOnce(), adapterKindName(adapter_->CurrentKind()),
                                   messages_);
}

void KanataProgram::reopenTables() {
    // Everything that holds the tables goes with them and is made anew.
    releaseRosterList();
    windows_->closeAll();
    processor_.reset();
    lookup_.reset();
    if (dm_ && tablesOpen_) {
        dm_->CloseMeibo();
        dm_->CloseRecvHis();
    }
    tablesOpen_ = false;
    tablesLock_.release();
    dm_.reset();
    addressBook_.reset();
    if (openTables())
        windows_->createHistoryList();
}

void KanataProgram::applyWindowSettings(const GlobalSettings& before) {
    if (processor_)
        processor_->setSettings(CallProcessingSettings::from(settings_));
    if (settings_.CD != before.CD) {
        RefreshPhonebookDataFolder(settings_);
        if (lookup_)
            lookup_->setPhonebookDataLocation(settings_.PhonebookDataFolder);
    }
    if (THistoryList* list = windows_->historyList())
        list->setOptions(HistoryListOptions::From(settings_));
    windows_->settingsChanged();
    if (settings_.RingSound != before.RingSound || settings_.WaveFile != before.WaveFile) {
        delete ringSound_.data();
        loadRingSound();
    }
    form_.setCloseOptions(settings_.CloseMsg, settings_.WindowsEnd);
    if (settings_.MenuVisible != before.MenuVisible)
        form_.applyMenuVisible(settings_.MenuVisible);
    if (settings_.MenuTopMost != before.MenuTopMost)
        form_.applyMenuTopMost(settings_.MenuTopMost);
    const bool historyCapacity = adapter_ && adapter_->CurrentKind().HistoryCapacity != 0;
    form_.actGetRecvHis->setEnabled(historyCapacity);
}

std::optional<AddressBookEntry> KanataProgram::chosenAddressBook() const {
    const PhonebookInstallation installation =
        FindPhonebookInstallation(registry_, settings_.PbSeries);
    if (!installation.registered || installation.installFolder.empty())
        return std::nullopt;
    const std::vector<AddressBookEntry> books = ListAddressBooks(installation.installFolder);
    if (settings_.PbAdrsBook < 0 || settings_.PbAdrsBook >= static_cast<int>(books.size()))
        return std::nullopt;
    return books[settings_.PbAdrsBook];
}

void KanataProgram::startPhonebookProduct() {
    const PhonebookEdition& edition = PhonebookEditionAt(settings_.PbSeries);
    registry_.reload();
    const auto program = registry_.readString(PhonebookAppPathsKey(edition));
    if (settings_.RunPbDlg) {
        TRunPb confirm(edition.displayName, settings_.PbAdrsBookName, &form_);
        if (dialogs_.runPhonebook ? !dialogs_.runPhonebook(confirm)
                                  : confirm.exec() != QDialog::Accepted)
            return;
    }
    if (!program || !QProcess::startDetached(QString::fromStdString(*program), {}))
        messages_.warning(std::string(edition.displayName) + "が起動できませんでした  ", &form_);
}

void KanataProgram::checkPhonebookLink() {
    phonebookLinkProblem_ = false;
    if (!settings_.UsePbAdrs)
        return;
    registry_.reload();
    const auto book = chosenAddressBook();
    if (!book || book->displayName != settings_.PbAdrsBookName) {
        phonebookLinkProblem_ = true;
        flags_.NeedEnvironmentSetup = true;
    }
}

void KanataProgram::describeAddressBook(ReceiveViewSettings& view) const {
    view.PbEditionTitle = PhonebookEditionAt(settings_.PbSeries).displayName;
    view.PbAdrsBookName = settings_.PbAdrsBookName;
    AddressBookPlace& place = view.addressBook;
    const auto book = chosenAddressBook();
    place.installed = book.has_value();
    if (book)
        place.folder = book->path;
    place.usesExtFile = IsOldestPhonebookGeneration(settings_.PbSeries);
    place.Memo1 = settings_.Memo1;
    place.Memo2 = settings_.Memo2;
    place.Memo3 = settings_.Memo3;
    place.rank = settings_.rank;
    place.Line1 = settings_.Line1;
    place.Line2 = settings_.Line2;
}

void KanataProgram::closeProgram() {
    form_.setAskOnClose(false);
    QTimer::singleShot(0, &form_, [this] { form_.close(); });
}

void KanataProgram::writeExitSettings() {
    const MainWindowOptions& options = form_.options();
    settings_.MenuVisible = options.MenuVisible;
    settings_.MenuTopMost = options.MenuTopMost;
    settings_.CloseMsg = options.CloseMsg;
    const int dpi = form_.logicalDpiX();
    settings_.MenuLeft = toStoredUnits(form_.x(), dpi);
    settings_.MenuTop = toStoredUnits(form_.y(), dpi);
    SaveAtExit(settings_, ini_);
    if (!ini_.save())
        std::fprintf(stderr, "kanata195: settings not written: %s\n", ini_.lastError().c_str());
}

void KanataProgram::wireFormHooks() {
    MainWindowHooks& hooks = form_.hooks();
    hooks.showHistoryList = [this] { windows_->historyPopUp(); };
    hooks.closeReceiveView = [this] {
        TReceiveView* view = windows_->receiveView();
        return !view || view->RequestClose();
    };
    hooks.closeMiniView = [this] {
        TReceiveViewMini* view = windows_->miniView();
        return !view || view->close();
    };
    hooks.receiveViewOpen = [this] { return windows_->callViewExists(); };
    hooks.historyListEnabled = [this] {
        THistoryList* list = windows_->historyList();
        return !list || list->isEnabled();
    };
    hooks.releaseHistoryList = [this] { delete windows_->historyList(); };
    hooks.meiboList = [this] { showRosterList(); };
    hooks.fileImport = [this] { showFileImport(); };
    // The menu's own changes are the settings from now on: the settings
    // dialog shows them and compares against them.
    hooks.optionsChanged = [this](const MainWindowOptions& options) {
        settings_.MenuVisible = options.MenuVisible;
        settings_.MenuTopMost = options.MenuTopMost;
    };
    hooks.environment = [this] { showEnvironment(); };
    hooks.version = [this] {
        TVersion version(&form_);
        version.exec();
    };
    hooks.listPrint = [this] {
        if (!dm_)
            return;
        if (!(dialogs_.printerInstalled ? dialogs_.printerInstalled() : AnyPrinterInstalled())) {
            messages_.information("プリンターがインストールされていません  \r\n\r\n"
                                  "先にプリンターをインストールしてください  ",
                                  &form_);
            return;
        }
        TListPrint dialog(
            {ini_, dm_->dataFolder(), workFolder_, messages_, *dm_, settings_.UsePbAdrs}, &form_);
        dialog.exec();
    };
    hooks.fileExport = [this] { showFileExport(); };
    hooks.getRecvHis = [this] { showReceiveHistoryRetrieval(); };
    const auto help = [this] {
        return HelpMenuContext{appFolder_, workFolder_, &messages_, &form_, {}, {}, {}};
    };
    hooks.topic = [help] { openManual(help()); };
    hooks.utility = [help] { startUtility(help()); };
    hooks.info = [this, help] {
        const NoticeSwitches chosen =
            showStoredNotices(help(), {settings_.Info, settings_.UpdateCheck});
        settings_.Info = chosen.info;
        settings_.UpdateCheck = chosen.updateCheck;
        SaveNotices(settings_, ini_);
        if (!ini_.save())
            messages_.error(ini_.lastError(), &form_);
    };
}

void KanataProgram::showFileExport() {
    if (!dm_)
        return;
    const MeiboSettings roster = MeiboSettings::From(settings_);
    ExportEnvironment env{*dm_, messages_, ini_};
    env.hyphenation = &hyphenation_;
    env.selItemCaptions = roster.SelectItem;
    env.pageSize = roster.ListMaxCount;
    env.usePbAdrs = settings_.UsePbAdrs;
    env.extractor = appFolder_ / kSfxExtractorName;
    TFileExport dialog(env, &form_);
    dialog.exec();
}

void KanataProgram::showReceiveHistoryRetrieval() {
    if (!dm_)
        return;
    ReceiveHistorySource source;
    source.read = [this](std::vector<AdapterHistoryRecord>& entries) {
        if (!adapter_)
            return false;
        const int capacity = AdapterHistoryCapacity(adapter_->Kinds(), settings_.Adapter);
        entries.assign(static_cast<std::size_t>(capacity), AdapterHistoryRecord{});
        std::int32_t count = capacity;
        if (!adapter_->ReadHistory(settings_.Adapter, count, entries.data()))
            return false;
        entries.resize(static_cast<std::size_t>(std::clamp(count, 0, capacity)));
        return true;
    };
    source.refreshHistoryList = [this] {
        if (THistoryList* list = windows_->historyList())
            list->RefreshPage(0, 0);
    };
    // The adapter is busy with its own list: no call is taken meanwhile.
    flags_.ReadyForCalls = false;
    host_.setReadyForCalls(false);
    struct Ready {
        KanataProgram& p;
        ~Ready() {
            p.flags_.ReadyForCalls = true;
            p.host_.setReadyForCalls(true);
        }
    } ready{*this};
    TGetReceiveHistory dialog(*dm_, messages_, &hyphenation_, std::move(source), &form_);
    dialog.exec();
}

// The roster list is made once and only hidden when closed, so that its
// search conditions stay for the next opening. It is modal to the program;
// the editor it opens is its own child, so it takes input.
void KanataProgram::showRosterList() {
    if (!dm_)
        return;
    if (settings_.UsePbAdrs) {
        startPhonebookProduct();
        return;
    }
    if (rosterList_) {
        rosterList_->setSettings(MeiboSettings::From(settings_));
    } else {
        rosterList_ = new TMeiboList(*dm_, messages_, ini_, MeiboSettings::From(settings_),
                                     workFolder_ / kCustomColoursIniName, &form_);
        rosterList_->setWindowModality(Qt::ApplicationModal);
        // The editor's dictionaries are those of this program's folder, as
        // the import's address completion uses them.
        rosterList_->viewHooks().dictionaryFolder = appFolder_ / "Dic";
        rosterList_->viewHooks().lookupCaller = [this](bool own, const std::string& number,
                                                       CallRecord& r) {
            return lookup_ ? lookup_->LookupCaller(own, true, number, r) : 5;
        };
        rosterList_->viewHooks().dial = [this](const std::string& tel1, const std::string& tel2) {
            QWidget* owner = QApplication::activeWindow();
            openDialDialog({tel1, tel2}, owner ? owner : rosterList_.data());
        };
        rosterList_->viewHooks().map = [this](TMeiboView& view) {
            view.ShowMap(settings_.Map, [this, &view] {
                const MeiboFields f = view.fields();
                const MapButtonInput input{f.Tel1,     f.Tel2,      f.Tdfkn,
                                           f.Adrs1,    f.Adrs2,     f.Adrs3,
                                           f.Latitude, f.Longitude, view.editor().existing()};
                return launchMapButton(input, settings_.Map, settings_.MapSearchKind, appFolder_,
                                       messages_, &view);
            });
        };
    }
    QEventLoop loop;
    connect(rosterList_, &TMeiboList::closed, &loop, &QEventLoop::quit);
    connect(rosterList_, &QObject::destroyed, &loop, &QEventLoop::quit);
    rosterList_->show();
    rosterList_->raise();
    rosterList_->activateWindow();
    loop.exec();
}

void KanataProgram::releaseRosterList() {
    // It works on the tables: it goes before them.
    delete rosterList_.data();
}

void KanataProgram::showFileImport() {
    if (!dm_)
        return;
    FileImportContext context{*dm_,
                              messages_,
                              ini_,
                              hyphenation_,
                              *addressSupplement_,
                              {settings_.SelectItem1, settings_.SelectItem2, settings_.SelectItem3},
                              settings_.UsePbAdrs,
                              appFolder_,
                              [this] {
                                  if (THistoryList* list = windows_->historyList())
                                      list->RefreshPage(0, 0);
                              }};
    TFileImport dialog(std::move(context), &form_);
    dialog.exec();
}

void KanataProgram::openJournal() {
    if (journal_)
        return;
    try {
        journal_ = std::make_unique<CallJournal>(workFolder_ / CallJournal::kFileName);
    } catch (const std::exception& e) {
        messages_.warning(std::string(kJournalUnavailable) + "\r\n\r\n" + e.what(), &form_);
    }
    host_.attachJournal(journal_.get());
}

void KanataProgram::drainAdapterMessages() {
    while (auto message = host_.take()) {
        switch (message->message) {
        case WM_LINE_ERROR:
            // Shown from a posted call, so that the library's post returns at
            // once; every report is shown, none overwrites an earlier one.
            QTimer::singleShot(0, this, [this, m = *message] {
                showLineError(messages_, m.code, m.text, &form_);
            });
            break;
        case WM_LINE_NOTICE:
            QTimer::singleShot(0, this, [this, m = *message] {
                showLineNotice(messages_, m.code, m.text, &form_);
            });
            break;
        default:
            break;
        }
    }
    scheduleCalls();
}

void KanataProgram::scheduleCalls() {
    if (callsScheduled_ || host_.pendingCalls() == 0)
        return;
    callsScheduled_ = true;
    QMetaObject::invokeMethod(this, "processPendingCalls", Qt::QueuedConnection);
}

namespace {
// Calls are stored for at most this long before the event loop (and with it
// the windows) gets its turn again.
constexpr qint64 kStoreSliceMs = 40;
// The list is refilled and the windows pop up at most this often while calls
// come faster than they can be shown, and never for more than a fifth of the
// time: a call after a quiet spell is shown at once.
constexpr qint64 kShowIntervalMs = 150;
constexpr qint64 kShowShare = 5;
} // namespace

void KanataProgram::processPendingCalls() {
    callsScheduled_ = false;
    // A box shown while storing runs its own event loop; the calls that
    // arrive meanwhile are taken by the loop below, in order.
    if (!processor_ || !flags_.ReadyForCalls || storingCalls_)
        return;
    storingCalls_ = true;
    windows_->beginBusy();
    windows_->historyUpdateDateDisplay();
    QElapsedTimer slice;
    slice.start();
    processor_->BeginBatch();
    while (slice.elapsed() < kStoreSliceMs && processor_) {
        auto arrived = host_.takeCall();
        if (!arrived)
            break;
        const JournalCall& j = arrived->journal;
        const CallLine line{arrived->text, j.raw, j.seq, j.arrival, j.recovered, j.logOffset};
        try {
            if (auto stored = processor_->StoreCall(line))
                scheduleShow(*stored);
        } catch (const std::exception& e) {
            messages_.error(std::string(kCallProcessingFailure) + "\r\n" + e.what(), &form_);
        }
    }
    try {
        if (processor_)
            processor_->CommitBatch();
    } catch (const std::exception& e) {
        messages_.error(std::string(kCallProcessingFailure) + "\r\n" + e.what(), &form_);
    }
    windows_->endBusy();
    storingCalls_ = false;
    if (processor_)
        processor_->ReportRawLogFailure();
    tellJournalFailures();
    scheduleCalls();
}

void KanataProgram::scheduleShow(const StoredCall& call) {
    newestCall_ = std::make_unique<StoredCall>(call);
    if (showTimer_.isActive())
        return;
    const qint64 interval = std::max(kShowIntervalMs, kShowShare * lastShowMs_);
    const qint64 since = sinceShown_.isValid() ? sinceShown_.elapsed() : interval;
    showTimer_.start(static_cast<int>(std::max<qint64>(0, interval - since)));
}

void KanataProgram::showNewestCall() {
    if (!newestCall_ || !processor_)
        return;
    const std::unique_ptr<StoredCall> call = std::move(newestCall_);
    QElapsedTimer cost;
    cost.start();
    try {
        processor_->ShowCall(*call);
    } catch (const std::exception& e) {
        messages_.error(std::string(kCallProcessingFailure) + "\r\n" + e.what(), &form_);
    }
    // Measured from the end of the show, so that the windows' share of the
    // time holds however long they take.
    lastShowMs_ = cost.elapsed();
    sinceShown_.start();
}

void KanataProgram::tellJournalFailures() {
    if (host_.takeJournalFailures() == 0 || toldJournalFailure_ || !journal_)
        return;
    toldJournalFailure_ = true;
    messages_.warning(std::string(kJournalWriteFailure) + "\r\n\r\n" + journal_->file().string(),
                      &form_);
}

} // namespace kanata
