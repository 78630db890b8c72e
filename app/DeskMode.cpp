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
    if (!listener_->connect(reason)) {
        lose(reason);
        return;
    }
    backOff_.reset();
    notifier_ = std::make_unique<QSocketNotifier>(listener_->socket(), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { readChanges(); });
    status_.reportReachable();
    if (lostOnce_) {
        lostOnce_ = false;
        std::fprintf(stderr, "kanata195: desk listening again\n");
        if (reactions_.reconnected)
            reactions_.reconnected();
    } else {
        std::fprintf(stderr, "kanata195: desk listening\n");
    }
    std::fflush(stderr);
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
    notifier_.reset();
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
