#include "app/SettingsApply.h"

#include "app/CallWindows.h"
#include "app/DeskCalls.h"
#include "app/ProgramState.h"
#include "environment/gui/TEnvironment.h"
#include "history/gui/THistoryList.h"
#include "intake/CallProcessor.h"
#include "intake/LineReports.h"
#include "intake/StartupRules.h"
#include "intake/TKTCommDLL.h"
#include "intake/gui/TMainForm.h"
#include "intake/gui/TSetIPPBXDetail.h"
#include "lookup/CallerLookup.h"
#include "lookup/PhonebookEditions.h"
#include "maintenance/gui/AddressBookBackupAtStart.h"
#include "maintenance/gui/StartupNotices.h"
#include "platform/DriveScan.h"
#include "platform/MessageService.h"
#include "settings/WorkFolders.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSoundEffect>
#include <QTabWidget>

#include <string>

namespace kanata {

bool SettingsApply::environmentDialog() {
    if (s_.dialogs.environment)
        return s_.dialogs.environment();
    const auto changed = runSettingsDialog(true);
    return changed && takeStartupSettings(*changed);
}

void SettingsApply::showEnvironment() {
    const auto changed = runSettingsDialog(false);
    if (!changed)
        return;
    if (EnvironmentModel::AdapterSettingsChanged(s_.settings, *changed))
        s_.messages.information(kReconfigureNotice, &s_.form);
    applySettings(*changed);
}

std::optional<GlobalSettings> SettingsApply::runSettingsDialog(bool startup) {
    EnvironmentServices services;
    services.phonebookEdition = [this](int edition) {
        s_.registry.reload();
        return ReadPhonebookEdition(s_.registry, edition);
    };
    services.autostart.emplace(LoginAutostart::defaultEntry(), s_.appFolder / "kanata195");
    EnvironmentModel model(s_.settings, listAdapterModels(), startup, s_.messages, services);
    EnvironmentHooks hooks;
    hooks.scanDrives = [](bool network) { return scanDrives(network); };
    hooks.checkUpdateNow = [this] {
        const UpdateContext context{s_.appFolder, s_.workFolder, &s_.messages,
                                    QApplication::activeModalWidget()};
        if (checkForUpdateNow(s_.settings, context))
            s_.actions.closeProgram();
    };
    hooks.ipPbxDetails = [this, &model](int kindId) { openIpPbxDetails(model, kindId); };
    TEnvironment dialog(model, s_.ini, s_.messages, hooks, &s_.form);
    const bool accepted = s_.dialogs.runEnvironment ? s_.dialogs.runEnvironment(dialog)
                                                    : dialog.exec() == QDialog::Accepted;
    s_.settings.InitTab = dialog.pgcEnvironment->currentIndex();
    s_.settings.TipView = dialog.chkTipView->isChecked();
    if (!accepted)
        return std::nullopt;
    return model.settings();
}

AdapterCatalog SettingsApply::listAdapterModels() {
    AdapterCatalog catalog;
    AdapterHost listingHost;
    const char* failures[] = {"アナログ/INS64回線対応機器情報が取得できませんでした  ",
                              "光回線対応機器情報が取得できませんでした  "};
    for (int index : {0, 1}) {
        // The library in use lists its own models; the other one is loaded
        // just for the listing and released at once.
        std::unique_ptr<TKTCommDLL> listing;
        TKTCommDLL* library =
            s_.adapter && s_.adapter->libraryIndex() == index ? s_.adapter.get() : nullptr;
        if (!library) {
            listing = TKTCommDLL::create(s_.messages, s_.appFolder, index, listingHost);
            if (listing) {
                listing->SetExtendMode(s_.settings.AdapterExtend);
                if (!listing->LoadKinds())
                    listing.reset();
            }
            library = listing.get();
        }
        if (!library) {
            s_.messages.error(failures[index]);
            break;
        }
        std::vector<AdapterModel> models = ToAdapterModels(library->Kinds());
        if (index == 0) {
            catalog.analog = std::move(models);
        } else {
            catalog.opticalVersion = library->GetVersion();
            catalog.optical = OfferedOpticalModels(models, catalog.opticalVersion,
                                                   s_.settings.UseBelleBox, s_.settings.UseOGW);
        }
    }
    return catalog;
}

void SettingsApply::openIpPbxDetails(const EnvironmentModel& model, int kindId) {
    std::string name;
    for (const AdapterModel& m : model.catalog().optical)
        if (m.kindId == kindId)
            name = m.name;
    const bool inUse = s_.settings.UseType == 1 && s_.settings.Adapter == kindId;
    TSetIPPBXDetail details(QString::fromStdString(name), kindId, inUse,
                            s_.workFolder / kIpAdapterIniName, s_.messages,
                            QApplication::activeModalWidget());
    details.exec();
    s_.ipDetailsChanged = s_.ipDetailsChanged || details.lineNeedsReopening();
}

// At start-up nothing is open yet: the settings are stored, and only a new
// line type needs another library before the line is opened.
bool SettingsApply::takeStartupSettings(const GlobalSettings& changed) {
    const bool otherLibrary = changed.UseType != s_.settings.UseType;
    s_.settings = changed;
    if (otherLibrary) {
        s_.adapter.reset();
        if (s_.settings.UseType == 0 || s_.settings.UseType == 1) {
            s_.adapter =
                TKTCommDLL::create(s_.messages, s_.appFolder, s_.settings.UseType, s_.host);
            if (!s_.adapter)
                return false;
            s_.settings.DLL = std::to_string(s_.adapter->GetVersion());
            s_.adapter->SetExtendMode(s_.settings.AdapterExtend);
            s_.adapter->LoadKinds();
        }
    }
    saveConfirmedSettings();
    return true;
}

// The user has pressed "設定(&S)": the settings are written, also over a
// file that was damaged, and a failure is told.
void SettingsApply::saveConfirmedSettings() {
    SaveFromSettingsDialog(s_.settings, s_.ini);
    if (!s_.ini.acceptRewrite() || !s_.ini.save())
        s_.messages.error(s_.ini.lastError(), &s_.form);
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
bool dataFolderChanged(const GlobalSettings& a, const GlobalSettings& b,
                       const std::filesystem::path& workFolder) {
    return std::filesystem::weakly_canonical(resolveDataFolder(a.DataPath, workFolder).folder) !=
           std::filesystem::weakly_canonical(resolveDataFolder(b.DataPath, workFolder).folder);
}
void waitProcessingEvents(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}
} // namespace

bool SettingsApply::applySettings(const GlobalSettings& changed) {
    const GlobalSettings before = s_.settings;
    s_.settings = changed;
    // New connection details are read by the library when the line opens.
    const bool adapterChanged =
        adapterSettingsChanged(before, changed) || std::exchange(s_.ipDetailsChanged, false);
    const bool dataChanged = dataFolderChanged(before, changed, s_.workFolder);
    const bool linkChanged = phonebookLinkChanged(before, changed);
    saveConfirmedSettings();

    bool lineOk = true;
    if (adapterChanged || dataChanged || linkChanged) {
        // No call is stored while the line and the tables are rebuilt; the
        // calls that arrive meanwhile wait in the journal.
        s_.setReadyForCalls(false);
        if (adapterChanged) {
            if (s_.adapter && before.UseType != 2) {
                s_.adapter->CloseLine();
                waitProcessingEvents(500);
            }
            s_.adapter.reset();
        }
        // Only the tables and the address book move; the line stays open,
        // so no call is lost to a change that does not concern it.
        if (dataChanged || linkChanged)
            reopenTables();
        if (adapterChanged)
            lineOk = rebuildAdapter();
        s_.setReadyForCalls(true);
        s_.actions.scheduleCalls();
    }
    applyWindowSettings(before);
    ReviewDeskMode(s_);
    // The backup of the newly linked address book comes first; the line is
    // reported ready once everything the change asked for is done.
    if (lineOk && linkChanged && s_.settings.UsePbAdrs && !s_.phonebookLinkProblem)
        offerAddressBookBackup(s_.settings, s_.registry,
                               resolveDataFolder(s_.settings.DataPath, s_.workFolder).folder,
                               s_.messages, &s_.form);
    if (lineOk && adapterChanged)
        s_.messages.information("再設定が完了しました  ", &s_.form);
    return lineOk;
}

bool SettingsApply::rebuildAdapter() {
    GlobalSettings& settings = s_.settings;
    const int lineType = settings.UseType;
    if (lineType != 0 && lineType != 1)
        return true;
    s_.adapter = TKTCommDLL::create(s_.messages, s_.appFolder, lineType, s_.host);
    if (!s_.adapter)
        return false;
    settings.DLL = std::to_string(s_.adapter->GetVersion());
    s_.ini.writeString("VERSION", "DLL", settings.DLL);
    s_.ini.save();
    s_.adapter->SetExtendMode(settings.AdapterExtend);
    s_.adapter->LoadKinds();
    s_.adapter->SelectKind(settings.Adapter);
    if (settings.Adapter == 0)
        return true;
    return ReopenLineAfterSettings(s_.openLineOnce(), adapterKindName(s_.adapter->CurrentKind()),
                                   s_.messages);
}

void SettingsApply::reopenTables() {
    // Everything that holds the tables goes with them and is made anew.
    s_.actions.releaseRosterList();
    s_.closeTables();
    // Tables moved to a server that is down are opened when it answers.
    std::string reason;
    if (s_.tablesServerAway(reason)) {
        s_.tablesAwaitServer = true;
        s_.serverStatus.reportUnreachable(reason);
        return;
    }
    if (s_.openTables())
        s_.windows->createHistoryList();
}

void SettingsApply::applyWindowSettings(const GlobalSettings& before) {
    const GlobalSettings& settings = s_.settings;
    if (s_.processor)
        s_.processor->setSettings(CallProcessingSettings::from(settings));
    if (settings.CD != before.CD) {
        RefreshPhonebookDataFolder(s_.settings);
        if (s_.lookup)
            s_.lookup->setPhonebookDataLocation(settings.PhonebookDataFolder);
    }
    if (THistoryList* list = s_.windows->historyList())
        list->setOptions(HistoryListOptions::From(settings));
    s_.windows->settingsChanged();
    if (settings.RingSound != before.RingSound || settings.WaveFile != before.WaveFile) {
        delete s_.ringSound.data();
        s_.loadRingSound();
    }
    TMainForm& form = s_.form;
    form.setCloseOptions(settings.CloseMsg, settings.WindowsEnd);
    if (settings.MenuVisible != before.MenuVisible)
        form.applyMenuVisible(settings.MenuVisible);
    if (settings.MenuTopMost != before.MenuTopMost)
        form.applyMenuTopMost(settings.MenuTopMost);
    const bool historyCapacity = s_.adapter && s_.adapter->CurrentKind().HistoryCapacity != 0;
    form.actGetRecvHis->setEnabled(historyCapacity);
}

} // namespace kanata
