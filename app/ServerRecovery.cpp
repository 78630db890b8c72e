#include "app/ServerRecovery.h"

#include "app/CallWindows.h"
#include "app/DeskCalls.h"
#include "app/DeskMode.h"
#include "app/ProgramState.h"
#include "data/ServerStatus.h"
#include "data/TDMKanata195.h"
#include "intake/CallProcessor.h"
#include "intake/gui/TMainForm.h"
#include "platform/MessageService.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace kanata {
namespace {
void say(const std::string& text) {
    std::fprintf(stderr, "kanata195: %s\n", text.c_str());
    std::fflush(stderr);
}
} // namespace

ServerRecovery::ServerRecovery(ProgramState& state) : s_(state) {
    retry_.setSingleShot(true);
    QObject::connect(&retry_, &QTimer::timeout, [this] { attempt(); });
    attemptTimeout_.setSingleShot(true);
    QObject::connect(&attemptTimeout_, &QTimer::timeout,
                     [this] { attemptFailed("the server did not answer in time"); });
    s_.serverStatus.onChange([this](bool reachable, const std::string& reason) {
        reachabilityChanged(reachable, reason);
    });
    s_.actions.reviveServerTables = [this](std::function<void()> then) {
        reviveTables(std::move(then));
    };
}

ServerRecovery::~ServerRecovery() {
    s_.actions.reviveServerTables = {};
    s_.serverStatus.onChange({});
    notifier_.reset();
}

void ServerRecovery::reachabilityChanged(bool reachable, const std::string& reason) {
    s_.form.setServerUnreachable(!reachable);
    if (reachable) {
        say("server reachable again");
        return;
    }
    say("server unreachable: " + reason);
    tellOnce();
    scheduleAttempt();
}

// Posted, so that the box (and its own event loop) never opens in the
// middle of storing a call.
void ServerRecovery::tellOnce() {
    if (boxPending_)
        return;
    boxPending_ = true;
    QTimer::singleShot(0, &retry_, [this] {
        boxPending_ = false;
        s_.messages.warning(isDesk() ? kServerUnreachableDesk : kServerUnreachableLine, &s_.form);
    });
}

void ServerRecovery::scheduleAttempt() {
    if (attempting_ || retry_.isActive())
        return;
    retry_.start(backOff_.nextDelayMs());
}

void ServerRecovery::attempt() {
    if (s_.tablesAwaitServer)
        return probeServer();
    noticeLosses();
    reconnecting_ = lostConnections();
    startNext();
}

// The server has just answered the listener: no long wait before the next
// try, should the attempt under way fail.
void ServerRecovery::reviveTables(std::function<void()> then) {
    afterRevival_ = std::move(then);
    backOff_.reset();
    if (attempting_)
        return; // it ends in connected() or tries again soon
    retry_.stop();
    attempt();
}

void ServerRecovery::probeServer() {
    std::string reason;
    probe_ = std::make_unique<sql::ServerProbe>();
    if (!probe_->start(s_.tablesStore.server, reason))
        return attemptFailed(reason);
    attempting_ = true;
    attemptTimeout_.start(kAttemptTimeoutMs);
    // libpq's first step is to wait until the socket takes the request.
    if (probe_->socket() < 0)
        return pollProbe();
    watch(probe_->socket(), QSocketNotifier::Write, &ServerRecovery::pollProbe);
}

void ServerRecovery::pollProbe() {
    if (!probe_)
        return;
    std::string reason;
    switch (probe_->poll(reason)) {
    case sql::ReconnectStep::WaitRead:
        return watch(probe_->socket(), QSocketNotifier::Read, &ServerRecovery::pollProbe);
    case sql::ReconnectStep::WaitWrite:
        return watch(probe_->socket(), QSocketNotifier::Write, &ServerRecovery::pollProbe);
    case sql::ReconnectStep::Connected:
        attemptTimeout_.stop();
        if (notifier_) {
            notifier_->setEnabled(false);
            notifier_.release()->deleteLater();
        }
        probe_.reset();
        attempting_ = false;
        return openAwaitedTables();
    case sql::ReconnectStep::Failed:
        return attemptFailed(reason);
    }
}

// What the start-up left for the server, now that it answers: the tables
// (made when missing, as at any start), the history list, a desk's
// listener, and the calls that came meanwhile, stored in the order they
// arrived.
void ServerRecovery::openAwaitedTables() {
    std::string reason;
    if (!s_.openTables()) {
        // The server answers, yet the tables do not open (their box said
        // so): trying again every half minute would only repeat the box.
        // The calls stay in the journal for the next start.
        if (!s_.tablesServerAway(reason)) {
            say("tables not opened; no more attempts");
            return attemptFailed(reason, false);
        }
        return attemptFailed(reason);
    }
    say("tables opened");
    s_.windows->createHistoryList();
    ReviewDeskMode(s_);
    backOff_.reset();
    if (!isDesk() || (s_.desk && s_.desk->listening()))
        s_.serverStatus.reportReachable();
    s_.actions.scheduleCalls();
}

// The tables may have been closed and opened again (new settings) since the
// attempt began: it goes on only with connections that still exist.
bool ServerRecovery::stillOpen(const sql::Database* db) const {
    const std::vector<sql::Database*> open = serverConnections();
    return std::find(open.begin(), open.end(), db) != open.end();
}

void ServerRecovery::startNext() {
    if (reconnecting_.empty()) {
        connected();
        return;
    }
    if (!stillOpen(reconnecting_.front())) {
        attemptFailed("the tables were opened again");
        return;
    }
    std::string reason;
    if (!reconnecting_.front()->startReconnect(reason)) {
        attemptFailed(reason);
        return;
    }
    attempting_ = true;
    attemptTimeout_.start(kAttemptTimeoutMs);
    poll();
}

void ServerRecovery::poll() {
    if (reconnecting_.empty())
        return;
    if (!stillOpen(reconnecting_.front())) {
        attemptFailed("the tables were opened again");
        return;
    }
    sql::Database& db = *reconnecting_.front();
    std::string reason;
    switch (db.pollReconnect(reason)) {
    case sql::ReconnectStep::WaitRead:
        watch(db.socket(), QSocketNotifier::Read, &ServerRecovery::poll);
        return;
    case sql::ReconnectStep::WaitWrite:
        watch(db.socket(), QSocketNotifier::Write, &ServerRecovery::poll);
        return;
    case sql::ReconnectStep::Connected:
        reconnectedAny_ = true;
        reconnecting_.erase(reconnecting_.begin());
        startNext();
        return;
    case sql::ReconnectStep::Failed:
        attemptFailed(reason);
        return;
    }
}

// The notifier that woke this poll may be the one replaced here: it goes
// once its signal is done.
void ServerRecovery::watch(int socket, QSocketNotifier::Type type, void (ServerRecovery::*next)()) {
    if (notifier_) {
        notifier_->setEnabled(false);
        notifier_.release()->deleteLater();
    }
    notifier_ = std::make_unique<QSocketNotifier>(socket, type);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this, next] {
        if (notifier_)
            notifier_->setEnabled(false);
        (this->*next)();
    });
}

void ServerRecovery::attemptFailed(const std::string& reason, bool again) {
    attemptTimeout_.stop();
    if (notifier_) {
        notifier_->setEnabled(false);
        notifier_.release()->deleteLater();
    }
    reconnecting_.clear();
    probe_.reset();
    attempting_ = false;
    (void)reason; // the loss was told; each failed retry is not news
    if (again)
        scheduleAttempt();
    else
        s_.tablesAwaitServer = false;
}

std::vector<sql::Database*> ServerRecovery::serverConnections() const {
    std::vector<sql::Database*> all;
    if (!s_.dm || !s_.tablesOpen)
        return all;
    ItemListServer* lists = s_.dm->ItemListsOnServer();
    for (sql::Database* db :
         {&s_.dm->RecvHis().table().database(), &s_.dm->Meibo().table().database(),
          lists ? &lists->connection() : nullptr})
        if (db && db->isOpen() && db->engine() == sql::Engine::Postgresql)
            all.push_back(db);
    return all;
}

void ServerRecovery::connected() {
    attemptTimeout_.stop();
    if (notifier_) {
        notifier_->setEnabled(false);
        notifier_.release()->deleteLater();
    }
    attempting_ = false;
    if (s_.dm && s_.dm->ItemListsOnServer())
        s_.dm->ItemListsOnServer()->serverAnswers();
    if (reconnectedAny_) {
        // A connection not used since the loss may only now have heard that
        // the server closed it; it would fail the next call.
        noticeLosses();
        reconnecting_ = lostConnections();
        reconnectedAny_ = false;
        if (!reconnecting_.empty()) {
            startNext();
            return;
        }
    }
    backOff_.reset();
    if (isDesk()) {
        tablesBack();
        return;
    }
    s_.serverStatus.reportReachable();
    storeWaitingCalls();
}

// On a desk the server is back once its listener hears it as well: a
// listener that came back first waits for this (afterRevival_); one still
// away says so itself when it returns.
void ServerRecovery::tablesBack() {
    if (afterRevival_) {
        std::exchange(afterRevival_, {})();
        return;
    }
    if (s_.desk && s_.desk->listening())
        s_.serverStatus.reportReachable();
}

// Never a statement: on a path that has gone silent one would wait for the
// network's own timeout, with the window held.
void ServerRecovery::noticeLosses() {
    for (sql::Database* db : serverConnections())
        db->noticeLoss();
}

void ServerRecovery::storeWaitingCallsSoon() {
    QTimer::singleShot(0, &retry_, [this] { storeWaitingCalls(); });
}

void ServerRecovery::storeWaitingCalls() {
    CallProcessor* processor = s_.processor.get();
    if (!processor || processor->waitingCalls() == 0 || !s_.serverStatus.reachable())
        return;
    if (processor->inBatch()) {
        // Calls are being stored (a box of theirs is open): after them.
        QTimer::singleShot(50, &retry_, [this] { storeWaitingCalls(); });
        return;
    }
    const std::size_t stored = processor->StoreWaitingCalls(kCallsPerTransaction);
    if (stored == 0)
        return; // lost again (reported) or failed (told); the retry goes on
    storedLate_ += stored;
    if (processor->waitingCalls() > 0) {
        QTimer::singleShot(0, &retry_, [this] { storeWaitingCalls(); });
        return;
    }
    say("waiting calls stored: " + std::to_string(std::exchange(storedLate_, 0)));
    processor->ShowWaitingCallsStored();
}

std::vector<sql::Database*> ServerRecovery::lostConnections() const {
    std::vector<sql::Database*> lost;
    for (sql::Database* db : serverConnections())
        if (db->connectionLost())
            lost.push_back(db);
    return lost;
}

bool ServerRecovery::isDesk() const {
    return IsDesk(s_.settings, s_.tablesStore);
}

} // namespace kanata
