#pragma once
// The running program: owns its state and the three jobs on it (the
// start-up sequence, the settings apply, the window wiring), takes the
// adapter's reports and stores the calls that arrive, and writes the exit
// settings when it ends.
#include "app/ProgramDialogs.h"
#include "app/ProgramStartup.h"
#include "app/ProgramState.h"
#include "app/ServerRecovery.h"
#include "app/SettingsApply.h"
#include "app/WindowWiring.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <filesystem>
#include <memory>

namespace kanata {

struct StoredCall;
class TDMKanata195;

class KanataProgram : public QObject {
    Q_OBJECT
public:
    KanataProgram(TMainForm& form, IntakeFlags& flags, MessageService& messages,
                  std::filesystem::path applicationFolder, std::filesystem::path workFolder);
    ~KanataProgram() override;

    ProgramDialogs& dialogs() { return state_.dialogs; }
    const GlobalSettings& settings() const { return state_.settings; }
    // The settings file was absent at this start.
    bool isFirstRun() const { return state_.loadResult.firstRun; }
    TDMKanata195* dataModule() const { return state_.dm.get(); }

    // Start-up processing, in its fixed order; closes the menu window when a
    // step cannot go on.
    void runStartup();

    // After the settings dialog's OK: stores the settings and, when the
    // adapter, data folder or address-book link changed, closes the line,
    // rebuilds the library (and the tables) and opens the line again. False
    // when the line could not be opened again (the user was told to restart).
    bool applySettings(const GlobalSettings& changed) { return apply_.applySettings(changed); }

    // Calls that arrived and are not stored yet.
    std::size_t waitingCalls() const { return state_.host.pendingCalls(); }

signals:
    // ReadyForCalls was set: the program takes calls from now on.
    void readyForCalls();

private slots:
    void drainAdapterMessages();
    void processPendingCalls();

private:
    void closeProgram();
    void openJournal();
    void scheduleCalls();
    void scheduleShow(const StoredCall& call);
    void showNewestCall();
    void tellJournalFailures();
    void writeExitSettings();

    ProgramState state_;
    ProgramStartup startup_{state_};
    SettingsApply apply_{state_};
    WindowWiring wiring_{state_};
    ServerRecovery recovery_{state_};

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
