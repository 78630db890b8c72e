#include "app/DeskMode.h"

#include "data/ServerStatus.h"
#include "settings/GlobalSettings.h"

#include <cstdio>

namespace kanata {

DeskMode::DeskMode(std::unique_ptr<StoreChangeListener> listener, ServerStatus& status,
                   Reactions reactions)
    : listener_(std::move(listener)), status_(status), reactions_(std::move(reactions)) {
    retry_.setSingleShot(true);
    QObject::connect(&retry_, &QTimer::timeout, [this] { tryConnect(); });
    attemptTimeout_.setSingleShot(true);
    QObject::connect(&attemptTimeout_, &QTimer::timeout, [this] {
        dropNotifier();
        listener_->disconnect();
        lose("the server did not answer in time");
    });
}

DeskMode::~DeskMode() {
    notifier_.reset(); // before the socket it watches goes
    listener_->disconnect();
}

void DeskMode::start() {
    tryConnect();
}

void DeskMode::tryConnect() {
    std::string reason;
    if (!listener_->beginConnect(reason)) {
        lose(reason);
        return;
    }
    attemptTimeout_.start(kAttemptTimeoutMs);
    step();
}

void DeskMode::step() {
    std::string reason;
    switch (listener_->continueConnect(reason)) {
    case sql::ReconnectStep::WaitRead:
        watch(QSocketNotifier::Read, &DeskMode::step);
        return;
    case sql::ReconnectStep::WaitWrite:
        watch(QSocketNotifier::Write, &DeskMode::step);
        return;
    case sql::ReconnectStep::Connected:
        attemptTimeout_.stop();
        dropNotifier();
        listenerBack(!lostOnce_);
        return;
    case sql::ReconnectStep::Failed:
        lose(reason);
        return;
    }
}

// The notifier that woke this step may be the one replaced here: it goes
// once its signal is done.
void DeskMode::watch(QSocketNotifier::Type type, void (DeskMode::*then)()) {
    dropNotifier();
    notifier_ = std::make_unique<QSocketNotifier>(listener_->socket(), type);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this, then] {
        // A connecting step replaces or drops its notifier; the listening
        // one stays on, as calls may come while a call's window is open.
        if (then == &DeskMode::step && notifier_)
            notifier_->setEnabled(false);
        (this->*then)();
    });
}

void DeskMode::dropNotifier() {
    if (!notifier_)
        return;
    notifier_->setEnabled(false);
    notifier_.release()->deleteLater();
}

void DeskMode::listenerBack(bool first) {
    backOff_.reset();
    if (first) {
        listen();
        status_.reportReachable();
        std::fprintf(stderr, "kanata195: desk listening\n");
        std::fflush(stderr);
        return;
    }
    lostOnce_ = false;
    awaitingResume_ = true;
    std::fprintf(stderr, "kanata195: desk listening again\n");
    std::fflush(stderr);
    if (reactions_.reconnected)
        reactions_.reconnected();
    else
        resume();
}

void DeskMode::resume() {
    if (!awaitingResume_ || !listener_->connected())
        return;
    awaitingResume_ = false;
    listen();
    status_.reportReachable();
    // The socket may not turn readable again for what is already buffered.
    readChanges();
}

void DeskMode::listen() {
    watch(QSocketNotifier::Read, &DeskMode::readChanges);
}

void DeskMode::readChanges() {
    std::string lostReason;
    const std::vector<StoreChange> changes = listener_->takeChanges(lostReason);
    for (const StoreChange& change : changes)
        react(change);
    if (!listener_->connected())
        lose(lostReason);
}

void DeskMode::react(const StoreChange& change) {
    if (change.table == StoredTable::Roster) {
        if (reactions_.rosterChanged)
            reactions_.rosterChanged(change);
    } else if (change.kind == ChangeKind::Added) {
        if (reactions_.callStored)
            reactions_.callStored(change.recNo);
    } else if (reactions_.historyChanged) {
        reactions_.historyChanged();
    }
}

void DeskMode::lose(const std::string& reason) {
    attemptTimeout_.stop();
    dropNotifier();
    awaitingResume_ = false;
    if (!lostOnce_) {
        std::fprintf(stderr, "kanata195: desk lost the server: %s\n", reason.c_str());
        std::fflush(stderr);
    }
    lostOnce_ = true;
    status_.reportUnreachable(reason);
    retry_.start(backOff_.nextDelayMs());
}

bool IsDesk(const GlobalSettings& settings, const sql::StoreSettings& store) {
    return settings.UseType == 2 && store.engine == sql::Engine::Postgresql;
}

} // namespace kanata
