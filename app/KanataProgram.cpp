#include "app/KanataProgram.h"

#include "app/CallWindows.h"
#include "history/gui/THistoryList.h"
#include "intake/CallProcessor.h"
#include "intake/LineReports.h"
#include "intake/gui/TMainForm.h"
#include "platform/MessageService.h"
#include "settings/WindowGeometry.h"
#include "views/gui/TReceiveView.h"
#include "views/gui/TReceiveViewMini.h"

#include <QMetaObject>
#include <QSoundEffect>

#include <algorithm>
#include <cstdio>

namespace kanata {

KanataProgram::KanataProgram(TMainForm& form, IntakeFlags& flags, MessageService& messages,
                             std::filesystem::path applicationFolder,
                             std::filesystem::path workFolder)
    : state_(form, flags, messages, std::move(applicationFolder), std::move(workFolder),
             [this] { drainAdapterMessages(); }) {
    state_.program = this;
    state_.actions.scheduleCalls = [this] { scheduleCalls(); };
    state_.actions.closeProgram = [this] { closeProgram(); };
    state_.actions.releaseRosterList = [this] { wiring_.releaseRosterList(); };
    state_.actions.environmentDialog = [this] { return apply_.environmentDialog(); };
    state_.actions.showEnvironment = [this] { apply_.showEnvironment(); };
    form.hooks().startup = [this] { runStartup(); };
    showTimer_.setSingleShot(true);
    connect(&showTimer_, &QTimer::timeout, this, &KanataProgram::showNewestCall);
    state_.windows = std::make_unique<CallWindows>(form, flags, messages, state_.ini,
                                                   state_.settings, state_.hyphenation);
    state_.windows->serverLost = [this](const std::string& reason) {
        state_.serverStatus.reportUnreachable(reason);
    };
    wiring_.wire();
}

KanataProgram::~KanataProgram() {
    state_.setReadyForCalls(false);
    wiring_.releaseRosterList();
    if (state_.started)
        writeExitSettings();
}

void KanataProgram::runStartup() {
    openJournal();
    startup_.run();
    if (!state_.started)
        return;
    emit readyForCalls();
    // What arrived during start-up (and what an earlier run left) is stored
    // now, in the order it arrived.
    scheduleCalls();
}

void KanataProgram::closeProgram() {
    state_.form.setAskOnClose(false);
    QTimer::singleShot(0, &state_.form, [this] { state_.form.close(); });
}

void KanataProgram::writeExitSettings() {
    const MainWindowOptions& options = state_.form.options();
    state_.settings.MenuVisible = options.MenuVisible;
    state_.settings.MenuTopMost = options.MenuTopMost;
    state_.settings.CloseMsg = options.CloseMsg;
    const int dpi = state_.form.logicalDpiX();
    state_.settings.MenuLeft = toStoredUnits(state_.form.x(), dpi);
    state_.settings.MenuTop = toStoredUnits(state_.form.y(), dpi);
    SaveAtExit(state_.settings, state_.ini);
    if (!state_.ini.save())
        std::fprintf(stderr, "kanata195: settings not written: %s\n",
                     state_.ini.lastError().c_str());
}

void KanataProgram::openJournal() {
    if (state_.journal)
        return;
    try {
        state_.journal = std::make_unique<CallJournal>(state_.workFolder / CallJournal::kFileName);
    } catch (const std::exception& e) {
        state_.messages.warning(std::string(kJournalUnavailable) + "\r\n\r\n" + e.what(),
                                &state_.form);
    }
    state_.host.attachJournal(state_.journal.get());
}

void KanataProgram::drainAdapterMessages() {
    while (auto message = state_.host.take()) {
        switch (message->message) {
        case WM_LINE_ERROR:
            // Shown from a posted call, so that the library's post returns at
            // once; every report is shown, none overwrites an earlier one.
            QTimer::singleShot(0, this, [this, m = *message] {
                showLineError(state_.messages, m.code, m.text, &state_.form);
            });
            break;
        case WM_LINE_NOTICE:
            QTimer::singleShot(0, this, [this, m = *message] {
                showLineNotice(state_.messages, m.code, m.text, &state_.form);
            });
            break;
        default:
            break;
        }
    }
    scheduleCalls();
}

void KanataProgram::scheduleCalls() {
    if (callsScheduled_ || state_.host.pendingCalls() == 0)
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
    if (!state_.processor || !state_.flags.ReadyForCalls || storingCalls_) {
        // Calls came, though none can be shown before the tables open.
        if (state_.tablesAwaitServer && state_.host.pendingCalls() > 0)
            state_.form.setIndicator(true);
        return;
    }
    storingCalls_ = true;
    state_.windows->beginBusy();
    state_.windows->historyUpdateDateDisplay();
    QElapsedTimer slice;
    slice.start();
    state_.processor->BeginBatch();
    bool shownHere = false;
    while (slice.elapsed() < kStoreSliceMs && state_.processor) {
        auto arrived = state_.host.takeCall();
        if (!arrived)
            break;
        const JournalCall& j = arrived->journal;
        const CallLine line{arrived->text, j.raw, j.seq, j.arrival, j.recovered, j.logOffset};
        try {
            if (auto stored = state_.processor->StoreCall(line)) {
                scheduleShow(*stored);
                shownHere = true;
            }
        } catch (const std::exception& e) {
            state_.messages.error(std::string(kCallProcessingFailure) + "\r\n" + e.what(),
                                  &state_.form);
        }
    }
    try {
        // A batch that lost the server took its rows with it: its calls wait
        // again and are not shown as stored.
        if (state_.processor && !state_.processor->CommitBatch() && shownHere)
            newestCall_.reset();
    } catch (const std::exception& e) {
        state_.messages.error(std::string(kCallProcessingFailure) + "\r\n" + e.what(),
                              &state_.form);
    }
    state_.windows->endBusy();
    storingCalls_ = false;
    if (state_.processor)
        state_.processor->ReportRawLogFailure();
    tellJournalFailures();
    // Calls that waited for the server before the tables were opened anew
    // are stored by the same steps as after a reconnection.
    if (state_.processor && state_.processor->waitingCalls() > 0 && state_.serverStatus.reachable())
        recovery_.storeWaitingCallsSoon();
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
    if (!newestCall_ || !state_.processor)
        return;
    const std::unique_ptr<StoredCall> call = std::move(newestCall_);
    QElapsedTimer cost;
    cost.start();
    try {
        state_.processor->ShowCall(*call);
    } catch (const std::exception& e) {
        state_.messages.error(std::string(kCallProcessingFailure) + "\r\n" + e.what(),
                              &state_.form);
    }
    // Measured from the end of the show, so that the windows' share of the
    // time holds however long they take.
    lastShowMs_ = cost.elapsed();
    sinceShown_.start();
}

void KanataProgram::tellJournalFailures() {
    if (state_.host.takeJournalFailures() == 0 || toldJournalFailure_ || !state_.journal)
        return;
    toldJournalFailure_ = true;
    state_.messages.warning(std::string(kJournalWriteFailure) + "\r\n\r\n" +
                                state_.journal->file().string(),
                            &state_.form);
}

} // namespace kanata
