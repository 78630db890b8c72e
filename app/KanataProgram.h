#pragma once
// The running program: owns the settings, the adapter library and its host,
// the tables, the lookup and call processing, and the windows around them;
// runs the start-up processing from the menu window's start-up event and
// writes the exit settings when it ends.
#include "data/Hyphenation.h"
#include "intake/AdapterHost.h"
#include "intake/CallJournal.h"
#include "intake/gui/IntakeFlags.h"
#include "lookup/ExtensionLibrary.h"
#include "platform/DataFolderLock.h"
#include "platform/MainThreadWakeUp.h"
#include "settings/Registry.h"
#include "environment/EnvironmentModel.h"
#include "settings/GlobalSettings.h"
#include "settings/IniFile.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

class QDialog;
class QSoundEffect;

namespace kanata {

class AddressSupplement;
struct AddressBookEntry;
struct CallRecord;
struct ReceiveViewSettings;
class CallProcessor;
struct StoredCall;
class CallerLookup;
class MessageService;
class CallWindows;
class EnvironmentModel;
class TDMKanata195;
class THistoryList;
class TReceiveView;
class TReceiveViewMini;
class TDMPbarea;
class TKTCommDLL;
class TMainForm;
class TMeiboList;

// Windows that later work provides; the program asks through these so that
// a missing one only says it is not available yet.
struct ProgramDialogs {
    // The settings dialog: true when accepted. Unset = the program's own
    // dialog, run by runEnvironment.
    std::function<bool()> environment;
    // Runs the settings dialog once it is prepared (tests answer it); unset =
    // shown modally. True = accepted.
    std::function<bool(QDialog&)> runEnvironment;
    // Runs the start confirmation of the phonebook product (tests answer
    // it); unset = shown modally. True = start.
    std::function<bool(QDialog&)> runPhonebook;

    // Start-up services that later work provides; unset ones are skipped.
    // The notices and the update check: true when an update was started that
    // needs the program to end.
    std::function<bool(GlobalSettings&)> noticesAndUpdate;
    // The automatic backup of the data folder (run only when the data folder
    // setting was valid at load); unset = the program's own generations.
    std::function<void(const GlobalSettings&)> autoBackup;
    // The backup of the phonebook product's address book at start: false
    // when it failed.
    std::function<bool(const GlobalSettings&)> addressBookBackup;
    // Whether a printer is installed; unset = the system's printers.
    std::function<bool()> printerInstalled;
};

class KanataProgram : public QObject {
    Q_OBJECT
public:
    KanataProgram(TMainForm& form, IntakeFlags& flags, MessageService& messages,
                  std::filesystem::path applicationFolder, std::filesystem::path workFolder);
    ~KanataProgram() override;

    ProgramDialogs& dialogs() { return dialogs_; }
    const GlobalSettings& settings() const { return settings_; }
    // The settings file was absent at this start.
    bool isFirstRun() const { return loadResult_.firstRun; }
    TDMKanata195* dataModule() const { return dm_.get(); }

    // Start-up processing, in its fixed order; closes the menu window when a
    // step cannot go on.
    void runStartup();

    // After the settings dialog's OK: stores the settings and, when the
    // adapter, data folder or address-book link changed, closes the line,
    // rebuilds the library (and the tables) and opens the line again. False
    // when the line could not be opened again (the user was told to restart).
    bool applySettings(const GlobalSettings& changed);

    // Calls that arrived and are not stored yet.
    std::size_t waitingCalls() const { return host_.pendingCalls(); }

signals:
    // ReadyForCalls was set: the program takes calls from now on.
    void readyForCalls();

private slots:
    void drainAdapterMessages();
    void processPendingCalls();

private:
    friend class CallWindows;
    bool constructAdapter();
    void loadSettings();
    bool checkStartupPassword();
    bool prepareAdapterModels();
    void openLineAheadOfTheCheck();
    bool runEnvironmentSetup();
    bool openLine();
    std::int32_t openLineOnce();
    bool rebuildAdapter();
    void reopenTables();
    void applyWindowSettings(const GlobalSettings& before);
    void loadServices();
    bool openTables();
    void createCallProcessing();
    void wireFormHooks();
    void showRosterList();
    void releaseRosterList();
    void showFileImport();
    void showFileExport();
    void showReceiveHistoryRetrieval();
    void loadRingSound();
    void finishStartup();
    void closeProgram();
    void openJournal();
    void scheduleCalls();
    void scheduleShow(const StoredCall& call);
    void showNewestCall();
    void tellJournalFailures();
    void checkPhonebookLink();
    void backUpAddressBook();
    void runAutoBackup();
    void openIpPbxDetails(const EnvironmentModel& model, int kindId);
    void openDialDialog(const std::vector<std::string>& numbers, QWidget* owner);
    void startPhonebookProduct();
    std::optional<AddressBookEntry> chosenAddressBook() const;
    void describeAddressBook(ReceiveViewSettings& view) const;
    void writeExitSettings();
    bool environmentDialog();
    std::optional<GlobalSettings> runSettingsDialog(bool startup);
    AdapterCatalog listAdapterModels();
    void saveConfirmedSettings();
    bool takeStartupSettings(const GlobalSettings& changed);
    void showEnvironment();

    TMainForm& form_;
    IntakeFlags& flags_;
    MessageService& messages_;
    std::filesystem::path appFolder_;
    std::filesystem::path workFolder_;
    IniFile ini_;
    GlobalSettings settings_;
    SettingsLoadResult loadResult_;
    // The IP-PBX details were written in the settings dialog: re-open the line.
    bool ipDetailsChanged_ = false;
    Registry registry_;
    ProgramDialogs dialogs_;

    MainThreadWakeUp wakeUp_;
    std::unique_ptr<CallJournal> journal_;
    AdapterHost host_;
    std::unique_ptr<TKTCommDLL> adapter_;
    HyphenationService hyphenation_;
    ExtensionLibrary extension_;
    std::unique_ptr<TDMKanata195> dm_;
    // Shared while the tables are open, so that bulk jobs stay away.
    DataFolderLock tablesLock_;
    // The text import's address completion.
    std::unique_ptr<AddressSupplement> addressSupplement_;
    std::unique_ptr<TDMPbarea> addressBook_;
    std::unique_ptr<CallerLookup> lookup_;
    std::unique_ptr<CallWindows> windows_;
    std::unique_ptr<CallProcessor> processor_;
    QPointer<QSoundEffect> ringSound_;
    QPointer<TMeiboList> rosterList_;
    bool tablesOpen_ = false;
    bool phonebookLinkProblem_ = false;
    bool lineOpenedEarly_ = false; // open before the update check, see openLineAheadOfTheCheck
    bool started_ = false;

    // Calls are stored in slices from the journal's queue; the newest one
    // stored is shown once the windows' turn comes (see processPendingCalls).
    bool callsScheduled_ = false;
    bool storingCalls_ = false;
    std::unique_ptr<StoredCall> newestCall_;
    QTimer showTimer_;
    QElapsedTimer sinceShown_;
    qint64 lastShowMs_ = 0;
    bool toldJournalFailure_ = false;
};

} // namespace kanata
