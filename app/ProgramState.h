#pragma once
// What the running program holds (settings, the adapter library and its
// host, the tables, the lookup and the call processing, the call windows)
// and the few steps that the start-up, the settings apply and the window
// wiring all take on it. Each of those jobs is a class of its own working on
// this one state; they reach each other only through `actions`.
#include "app/ProgramDialogs.h"
#include "data/Hyphenation.h"
#include "data/ServerStatus.h"
#include "data/StoreSettings.h"
#include "intake/AdapterHost.h"
#include "intake/CallJournal.h"
#include "intake/CallProcessor.h"
#include "intake/gui/IntakeFlags.h"
#include "lookup/ExtensionLibrary.h"
#include "platform/DataFolderLock.h"
#include "platform/MainThreadWakeUp.h"
#include "settings/GlobalSettings.h"
#include "settings/IniFile.h"
#include "settings/Registry.h"

#include <QPointer>

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QObject;
class QSoundEffect;

namespace kanata {

class AddressSupplement;
struct AddressBookEntry;
class CallProcessor;
class CallerLookup;
class CallWindows;
class DeskMode;
class MessageService;
class TDMKanata195;
class TDMPbarea;
class TKTCommDLL;
class TMainForm;

// The steps one job asks of another.
struct ProgramActions {
    std::function<void()> scheduleCalls;
    std::function<void()> closeProgram;
    std::function<void()> releaseRosterList;
    // The settings dialog at start-up: true when accepted and taken.
    std::function<bool()> environmentDialog;
    std::function<void()> showEnvironment;
    // Another desk wrote the roster: the open roster list shows it.
    std::function<void()> refreshRosterList;
    // A desk's listener is back: its tables' connections are found again
    // without blocking, then `then` runs.
    std::function<void(std::function<void()> then)> reviveServerTables;
};

struct ProgramState {
    ProgramState(TMainForm& form, IntakeFlags& flags, MessageService& messages,
                 std::filesystem::path applicationFolder, std::filesystem::path workFolder,
                 std::function<void()> adapterMessageArrived);
    ~ProgramState();

    // Opens the line with the chosen model and port; the adapter's result.
    std::int32_t openLineOnce();
    // Opens both tables (kept open for the whole run), the item lists and
    // the address book, and makes the lookup and the call processing.
    bool openTables();
    // Whether the tables are on a server that does not answer now (its
    // words in `reason`). Asks it with one connection, which waits at most
    // the connect timeout; a data folder always answers.
    bool tablesServerAway(std::string& reason);
    // The tables and everything made on them go; the call windows too.
    void closeTables();
    // The sound belongs to `program`, so that it goes with the program.
    void loadRingSound();
    // Calls are neither stored nor taken from the adapter while false.
    void setReadyForCalls(bool ready);
    std::optional<AddressBookEntry> chosenAddressBook() const;

    TMainForm& form;
    IntakeFlags& flags;
    MessageService& messages;
    const std::filesystem::path appFolder;
    const std::filesystem::path workFolder;
    IniFile ini;
    GlobalSettings settings;
    SettingsLoadResult loadResult;
    // The IP-PBX details were written in the settings dialog: re-open the line.
    bool ipDetailsChanged = false;
    Registry registry;
    ProgramDialogs dialogs;
    ProgramActions actions;
    QObject* program = nullptr;

    MainThreadWakeUp wakeUp;
    // Only a store on a server can become unreachable.
    ServerStatus serverStatus;
    std::unique_ptr<CallJournal> journal;
    AdapterHost host;
    std::unique_ptr<TKTCommDLL> adapter;
    HyphenationService hyphenation;
    ExtensionLibrary extension;
    std::unique_ptr<TDMKanata195> dm;
    // Shared while the tables are open, so that bulk jobs stay away.
    DataFolderLock tablesLock;
    // The text import's address completion.
    std::unique_ptr<AddressSupplement> addressSupplement;
    std::unique_ptr<TDMPbarea> addressBook;
    std::unique_ptr<CallerLookup> lookup;
    std::unique_ptr<CallWindows> windows;
    std::unique_ptr<CallProcessor> processor;
    // Calls that waited for the server when the tables were closed to be
    // opened again: the next processing stores them first.
    std::deque<CallLine> carriedCalls;
    // Where openTables found the tables; a desk listens to that server.
    sql::StoreSettings tablesStore;
    std::unique_ptr<DeskMode> desk; // see DeskCalls.h
    QPointer<QSoundEffect> ringSound;
    bool tablesOpen = false;
    // The tables' server did not answer when the tables were to be opened:
    // the line and the journal run without them until it does (see
    // ServerRecovery).
    bool tablesAwaitServer = false;
    bool phonebookLinkProblem = false;
    bool lineOpenedEarly = false; // see ProgramStartup::openLineAheadOfTheCheck
    bool started = false;

private:
    void createCallProcessing();
};

} // namespace kanata
